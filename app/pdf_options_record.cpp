#include "app/pdf_options_record.h"

#include <stdexcept>

#include "app/pdf_options_reader.h"
#include "app/registry_readers.h"
#include "app/settings_store.h"
#include "platform/code_pages.h"

namespace app {

using platform::RegValue;

namespace {

// The strict reader, with wrong types read as missing.
class LenientKey {
 public:
  explicit LenientKey(platform::RegistryStore& store) : key_(store, kPdfOptionsKey) {}

  int Integer(const char* name, int fallback) const {
    try {
      return key_.ReadInteger(name, fallback);
    } catch (const platform::RegistryError&) {
      return fallback;
    }
  }
  bool Bool(const char* name, bool fallback) const { return Integer(name, fallback ? 1 : 0) != 0; }
  std::string String(const char* name) const {
    try {
      return key_.ReadString(name, "");
    } catch (const platform::RegistryError&) {
      return "";
    }
  }

 private:
  StrictReader key_;
};

// Stored passwords are bytes; those that are not UTF-8 are Windows-1252.
std::string PasswordText(const std::string& bytes) {
  const std::string utf8 = platform::Utf16ToUtf8(platform::Utf8ToUtf16(bytes));
  if (utf8 == bytes) return bytes;
  return platform::Utf16ToUtf8(platform::MultiByteToWide(1252, bytes));
}

std::string StoredPassword(const std::string& text) {
  const auto bytes = PdfPasswordBytes(text);
  if (!bytes) throw std::invalid_argument("a PDF password holds only Windows-1252 characters");
  return ScramblePassword(kPasswordKey, *bytes);
}

RegValue Dword(int value) { return RegValue::Dword(static_cast<uint32_t>(value)); }

}  // namespace

PdfOptionsRecord LoadPdfOptionsRecord(platform::RegistryStore& store) {
  const LenientKey key(store);
  PdfOptionsRecord r;
  r.cryptoOptions = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (key.Bool(kPermissionValueNames[bit], true))
      r.cryptoOptions = static_cast<unsigned char>(r.cryptoOptions | 1 << bit);
  r.protectionKeyLength = key.Integer("ProtectionKeyLength", 0);
  r.compressionType = key.Integer("CompressionType", 1);
  r.pdfVersion = key.Integer("PDFVersion", 0);
  r.pageOrientation = key.Integer("PageOrientation", 0);
  r.pageSize = key.Integer("PageSize", 2);
  r.leftMargin = key.Integer("LeftMargin", 5);
  r.rightMargin = key.Integer("RightMargin", 5);
  r.topMargin = key.Integer("TopMargin", 5);
  r.bottomMargin = key.Integer("BottomMargin", 5);
  r.protectionEnabled = key.Bool("ProtectionEnabled", false);
  r.userPasswordEnabled = key.Bool("UserPasswordEnabled", false);
  r.masterPasswordEnabled = key.Bool("MasterPasswordEnabled", false);
  r.userPassword = PasswordText(UnscramblePassword(kPasswordKey, key.String("UserPassword")));
  r.masterPassword = PasswordText(UnscramblePassword(kPasswordKey, key.String("MasterPassword")));
  r.fontCharset = key.Integer("FontCharset", 1);
  r.downloadImages = key.Bool("DownloadImages", true);
  r.autoOpenPdf = key.Bool("AutoOpenPDF", true);
  r.creator = key.String("Creator");
  r.author = key.String("Author");
  r.subject = key.String("Subject");
  r.title = key.String("Title");
  r.keywords = key.String("Keywords");
  return r;
}

void SavePdfOptionsRecord(platform::RegistryStore& store, const PdfOptionsRecord& r) {
  platform::NamedValues values;
  for (int bit = 0; bit < 8; ++bit)
    values.emplace_back(kPermissionValueNames[bit], Dword(r.cryptoOptions >> bit & 1));
  values.emplace_back("ProtectionKeyLength", Dword(r.protectionKeyLength));
  values.emplace_back("CompressionType", Dword(r.compressionType));
  values.emplace_back("PDFVersion", Dword(r.pdfVersion));
  values.emplace_back("PageOrientation", Dword(r.pageOrientation));
  values.emplace_back("PageSize", Dword(r.pageSize));
  values.emplace_back("LeftMargin", Dword(r.leftMargin));
  values.emplace_back("RightMargin", Dword(r.rightMargin));
  values.emplace_back("TopMargin", Dword(r.topMargin));
  values.emplace_back("BottomMargin", Dword(r.bottomMargin));
  values.emplace_back("ProtectionEnabled", Dword(r.protectionEnabled));
  values.emplace_back("UserPasswordEnabled", Dword(r.userPasswordEnabled));
  values.emplace_back("MasterPasswordEnabled", Dword(r.masterPasswordEnabled));
  if (r.masterPasswordEnabled)
    values.emplace_back("MasterPassword", RegValue::String(StoredPassword(r.masterPassword)));
  if (r.userPasswordEnabled)
    values.emplace_back("UserPassword", RegValue::String(StoredPassword(r.userPassword)));
  values.emplace_back("FontCharset", Dword(r.fontCharset));
  values.emplace_back("DownloadImages", Dword(r.downloadImages));
  values.emplace_back("AutoOpenPDF", Dword(r.autoOpenPdf));
  values.emplace_back("Creator", RegValue::String(r.creator));
  values.emplace_back("Title", RegValue::String(r.title));
  values.emplace_back("Keywords", RegValue::String(r.keywords));
  values.emplace_back("Author", RegValue::String(r.author));
  values.emplace_back("Subject", RegValue::String(r.subject));
  store.WriteValues(kPdfOptionsKey, values);
}

PdfFormatOptions DialogPdfFormatOptions(const PdfOptionsRecord& r, const std::string& producer) {
  PdfFormatOptions options;
  options.protectionOptions = r.cryptoOptions;
  options.leftMargin = r.leftMargin;
  options.rightMargin = r.rightMargin;
  options.topMargin = r.topMargin;
  options.bottomMargin = r.bottomMargin;
  options.protectionEnabled = r.protectionEnabled;
  // A password box read while protection is off gives nothing.
  options.setUserPassword = r.userPasswordEnabled;
  if (r.userPasswordEnabled && r.protectionEnabled)
    options.userPassword = PdfPasswordBytes(r.userPassword).value_or("");
  options.setOwnerPassword = r.masterPasswordEnabled;
  if (r.masterPasswordEnabled && r.protectionEnabled)
    options.ownerPassword = PdfPasswordBytes(r.masterPassword).value_or("");
  options.pageSize = r.pageSize;
  options.pageOrientation = r.pageOrientation;
  options.pdfVersion = r.pdfVersion;
  options.compressionType = r.compressionType;
  options.protectionKeyLength = r.protectionKeyLength;
  options.fontCharset = r.fontCharset;
  options.creator = PdfSingleByteText(r.creator);
  options.author = PdfSingleByteText(r.author);
  options.subject = PdfSingleByteText(r.subject);
  options.title = PdfSingleByteText(r.title);
  options.keywords = PdfSingleByteText(r.keywords);
  options.producer = PdfSingleByteText(producer);
  options.createdToday = true;
  return options;
}

}  // namespace app
