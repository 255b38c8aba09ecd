#include "app/pdf_options_reader.h"

#include "app/registry_readers.h"
#include "app/settings_store.h"
#include "platform/code_pages.h"

namespace app {

namespace {

bool IsUtf8(const std::string& text) {
  return platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)) == text;
}

struct PasswordSource {
  const char* enabled;
  const char* plain;
  const char* scrambled;
};

// Sets `password` only when the enabling value exists and is on.
void ReadPassword(const StrictReader& key, const PasswordSource& source, bool& set,
                  std::string& password) {
  if (!key.ValueExists(source.enabled) || !key.ReadBool(source.enabled, false)) return;
  set = true;
  std::string text;
  const char* from = source.plain;
  if (key.ValueExists(source.plain)) {
    text = key.ReadString(source.plain, "");
  } else if (key.ValueExists(source.scrambled)) {
    from = source.scrambled;
    text = UnscramblePassword(kPasswordKey, key.ReadString(source.scrambled, ""));
  }
  const auto bytes = PdfPasswordBytes(text);
  if (!bytes)
    throw platform::RegistryError(std::string("the password in settings value \"") + from +
                                  "\" in HKEY_CURRENT_USER\\" + kPdfOptionsKey +
                                  " has characters that a PDF password cannot hold (only "
                                  "Windows-1252 characters can be used)");
  password = *bytes;
}

}  // namespace

std::optional<std::string> PdfPasswordBytes(const std::string& text) {
  if (!IsUtf8(text)) return text;
  return platform::WideToMultiByteExact(1252, platform::Utf8ToUtf16(text));
}

// The document writes its information strings as Windows-1252 bytes; a
// character without one becomes "?", as the Windows conversion does.
std::string PdfSingleByteText(const std::string& utf8) {
  return platform::WideToMultiByte(1252, platform::Utf8ToUtf16(utf8));
}

PdfFormatOptions ReadPdfFormatOptions(platform::RegistryStore& store) {
  const StrictReader key(store, kPdfOptionsKey);
  PdfFormatOptions options;
  options.protectionOptions = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (key.ReadBool(kPermissionValueNames[bit], true))
      options.protectionOptions = static_cast<unsigned char>(options.protectionOptions | 1 << bit);
  options.leftMargin = key.ReadInteger("LeftMargin", 5);
  options.rightMargin = key.ReadInteger("RightMargin", 5);
  options.topMargin = key.ReadInteger("TopMargin", 5);
  options.bottomMargin = key.ReadInteger("BottomMargin", 5);
  options.protectionEnabled = key.ReadBool("ProtectionEnabled", false);
  ReadPassword(key, {"UserPasswordEnabled", "SilentUserPassword", "UserPassword"},
               options.setUserPassword, options.userPassword);
  ReadPassword(key, {"MasterPasswordEnabled", "SilentMasterPassword", "MasterPassword"},
               options.setOwnerPassword, options.ownerPassword);
  options.pageSize = key.ReadInteger("PageSize", 2);
  options.pageOrientation = key.ReadInteger("PageOrientation", 0);
  options.pdfVersion = key.ReadInteger("PDFVersion", 0);
  options.compressionType = key.ReadInteger("CompressionType", 1);
  options.protectionKeyLength = key.ReadInteger("ProtectionKeyLength", 0);
  options.fontCharset = key.ReadInteger("FontCharset", 1);
  options.creator = PdfSingleByteText(key.ReadString("Creator", ""));
  options.author = PdfSingleByteText(key.ReadString("Author", ""));
  options.subject = PdfSingleByteText(key.ReadString("Subject", ""));
  options.title = PdfSingleByteText(key.ReadString("Title", ""));
  options.keywords = PdfSingleByteText(key.ReadString("Keywords", ""));
  return options;
}

}  // namespace app
