#include "app/pdf_options.h"

#include <stdexcept>

#include "app/registry_readers.h"
#include "app/settings_store.h"
#include "pdf/saslprep.h"
#include "platform/code_pages.h"

namespace app {

using platform::RegValue;
using Type = PdfOptionType;
using O = PdfOptions;

namespace {

constexpr PdfOptionChoice kKeyLengths[] = {
    {0, "40-bit"}, {1, "128-bit"}, {2, "128-bit AES"}, {kAes256KeyLength, "256-bit AES"}};
// PDF 1.3 to 1.7; the dialog offers 1.3, 1.4 and 1.7.
constexpr PdfOptionChoice kVersions[] = {{0, "Acrobat 4.x and higher"},
                                         {1, "Acrobat 5.x and higher"},
                                         {2, "Acrobat 6.x and higher", false},
                                         {3, "Acrobat 7.x and higher", false},
                                         {4, "Acrobat 8.x and higher"}};
constexpr PdfOptionChoice kCompliances[] = {
    {0, "None"}, {kPdfA1b, "PDF/A-1b"}, {kPdfA2b, "PDF/A-2b"}};
constexpr PdfOptionChoice kCompressions[] = {{0, "None"}, {1, "Flate"}};
constexpr PdfOptionChoice kOrientations[] = {{0, "Portrait"}, {1, "Landscape"}};

// 0 sizes each page by its picture.
constexpr PdfOptionChoice kPageSizes[] = {
    {0, "Same as the printed page"},
    {1, "Letter"},
    {2, "A4"},
    {3, "A3"},
    {4, "Legal"},
    {5, "B5"},
    {6, "C5"},
    {7, "8x11"},
    {8, "B4"},
    {9, "A5"},
    {10, "Folio"},
    {11, "Executive"},
    {12, "EnvB4"},
    {13, "EnvB5"},
    {14, "EnvC6"},
    {15, "EnvDL"},
    {16, "EnvMonarch"},
    {17, "Env9"},
    {18, "Env10"},
    {19, "Env11"},
};

// Windows character sets.
constexpr PdfOptionChoice kCharsets[] = {
    {0, "ANSI characters set"},
    {1, "Default charset"},
    {2, "Standard symbol set"},
    {77, "Macintosh characters"},
    {128, "Japanese shift-JIS characters"},
    {129, "Korean characters (Wansung)"},
    {130, "Korean characters (Johab)"},
    {134, "Simplified Chinese characters (mainland china)"},
    {136, "Traditional Chinese characters (Taiwanese)"},
    {161, "Greek characters"},
    {162, "Turkish characters"},
    {163, "Vietnamese characters"},
    {177, "Hebrew characters"},
    {178, "Arabic characters"},
    {186, "Baltic characters"},
    {204, "Cyrillic characters"},
    {222, "Thai characters"},
    {238, "East Europe charset. Includes diacritical marks for eastern european countries."},
    {255, "OEM Charset. Depends on the codepage of the operating system."},
};

// Whole millimetres; a page is never near ten metres wide.
constexpr int kLargestMargin = 9999;

constexpr PdfOptionField Flag(const char* name, bool fallback, bool O::*member) {
  return {.name = name, .type = Type::Flag, .fallback = fallback ? 1 : 0, .member = member};
}
constexpr PdfOptionField Range(const char* name, int fallback, int low, int high, int O::*member) {
  return {.name = name,
          .type = Type::Number,
          .fallback = fallback,
          .low = low,
          .high = high,
          .member = member};
}
constexpr PdfOptionField Choice(const char* name, int fallback,
                                std::span<const PdfOptionChoice> choices, int O::*member) {
  return {.name = name,
          .type = Type::Number,
          .fallback = fallback,
          .choices = choices,
          .member = member};
}
constexpr PdfOptionField Margin(const char* name, int O::*member) {
  return Range(name, 5, 0, kLargestMargin, member);
}
constexpr PdfOptionField Text(const char* name, std::string O::*member) {
  return {.name = name, .type = Type::Text, .member = member};
}
constexpr PdfOptionField Password(const char* name, const char* enabledBy, const char* plainName,
                                  std::string O::*member) {
  return {.name = name,
          .type = Type::Password,
          .member = member,
          .enabledBy = enabledBy,
          .plainName = plainName};
}

const PdfOptionField kFields[] = {
    Flag("AllowPrinting", true, &O::allowPrinting),
    Flag("AllowModifyStructure", true, &O::allowModifyStructure),
    Flag("AllowCopyInformation", true, &O::allowCopyInformation),
    Flag("AllowModifyAnnotation", true, &O::allowModifyAnnotation),
    Flag("AllowHiQualityPrinting", true, &O::allowHiQualityPrinting),
    Flag("AllowFillAnnotation", true, &O::allowFillAnnotation),
    Flag("AllowExtractInfo", true, &O::allowExtractInfo),
    Flag("AllowAssemble", true, &O::allowAssemble),
    Choice("ProtectionKeyLength", 0, kKeyLengths, &O::protectionKeyLength),
    Choice("CompressionType", 1, kCompressions, &O::compressionType),
    Choice("PDFVersion", 0, kVersions, &O::pdfVersion),
    Choice("PDFACompliance", 0, kCompliances, &O::pdfaCompliance),
    Choice("PageOrientation", 0, kOrientations, &O::pageOrientation),
    Choice("PageSize", 2, kPageSizes, &O::pageSize),
    Margin("LeftMargin", &O::leftMargin),
    Margin("RightMargin", &O::rightMargin),
    Margin("TopMargin", &O::topMargin),
    Margin("BottomMargin", &O::bottomMargin),
    Flag("ProtectionEnabled", false, &O::protectionEnabled),
    Flag("UserPasswordEnabled", false, &O::userPasswordEnabled),
    Flag("MasterPasswordEnabled", false, &O::masterPasswordEnabled),
    Password("MasterPassword", "MasterPasswordEnabled", "SilentMasterPassword", &O::masterPassword),
    Password("UserPassword", "UserPasswordEnabled", "SilentUserPassword", &O::userPassword),
    Choice("FontCharset", 1, kCharsets, &O::fontCharset),
    Flag("DownloadImages", true, &O::downloadImages),
    Flag("AutoOpenPDF", true, &O::autoOpenPdf),
    Text("Creator", &O::creator),
    Text("Title", &O::title),
    Text("Keywords", &O::keywords),
    Text("Author", &O::author),
    Text("Subject", &O::subject),
};

template <typename... F>
struct Visitor : F... {
  using F::operator()...;
};
// Clang before 17 deduces no aggregate's arguments by itself.
template <typename... F>
Visitor(F...) -> Visitor<F...>;

void SetDefault(const PdfOptionField& field, PdfOptions& options) {
  std::visit(Visitor{[&](bool O::*m) { options.*m = field.fallback != 0; },
                     [&](int O::*m) { options.*m = field.fallback; },
                     [&](std::string O::*m) { (options.*m).clear(); }},
             field.member);
}

// Flags, numbers and texts; passwords are read by the callers.
void ReadValue(const RegistryReader& key, const PdfOptionField& field, PdfOptions& options) {
  std::visit(
      Visitor{[&](bool O::*m) { options.*m = key.ReadBool(field.name, field.fallback != 0); },
              [&](int O::*m) {
                const int64_t value = key.ReadInteger(field.name, field.fallback);
                options.*m = IsAllowed(field, value) ? static_cast<int>(value) : field.fallback;
              },
              [&](std::string O::*m) {
                if (field.type == Type::Text) options.*m = key.ReadString(field.name, "");
              }},
      field.member);
}

PdfOptions ReadFields(const RegistryReader& key) {
  PdfOptions options;
  for (const PdfOptionField& field : kFields) ReadValue(key, field, options);
  return options;
}

std::string& PasswordOf(const PdfOptionField& field, PdfOptions& options) {
  return options.*std::get<std::string O::*>(field.member);
}

bool PasswordEnabled(const PdfOptionField& field, const PdfOptions& options) {
  return options.*std::get<bool O::*>(PdfOptionFieldNamed(field.enabledBy).member);
}

// The plain value wins over the scrambled one; both may be missing.
std::string SilentPassword(const RegistryReader& key, const PdfOptionField& field, int keyLength) {
  const char* from = field.plainName;
  std::string text;
  if (key.ValueExists(field.plainName)) {
    text = key.ReadString(field.plainName, "");
  } else if (key.ValueExists(field.name)) {
    from = field.name;
    text = UnscramblePassword(kPasswordKey, key.ReadString(field.name, ""));
  }
  std::string problem;
  if (!PdfPasswordFor(text, keyLength, &problem))
    throw platform::RegistryError(std::string("the password in settings value \"") + from +
                                  "\" in HKEY_CURRENT_USER\\" + kPdfOptionsKey + " " + problem);
  return text;
}

// Archival files cannot be encrypted; a run asked for both makes neither
// rather than dropping one of them unseen.
void RefusePdfAWithProtection(const PdfOptions& options) {
  if (options.pdfaCompliance == 0 || !options.protectionEnabled) return;
  const std::string where = std::string("in HKEY_CURRENT_USER\\") + kPdfOptionsKey;
  throw platform::RegistryError(
      "settings value \"PDFACompliance\"=dword:" + std::to_string(options.pdfaCompliance) + " (" +
      kCompliances[options.pdfaCompliance].caption + ") and \"ProtectionEnabled\"=dword:1 " +
      where +
      " cannot both be on: PDF/A forbids encryption. Nothing was made; turn one of them off");
}

bool IsUtf8(const std::string& text) {
  return platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)) == text;
}

// Stored passwords are bytes; those that are not UTF-8 are Windows-1252.
std::string PasswordText(const std::string& bytes) {
  if (IsUtf8(bytes)) return bytes;
  return platform::Utf16ToUtf8(platform::MultiByteToWide(1252, bytes));
}

// Windows-1252 bytes where they exist, as the silent run of every version
// reads them; other 256-bit AES passwords as UTF-8.
std::string StoredPassword(const std::string& text, int keyLength) {
  std::string problem;
  if (!PdfPasswordFor(text, keyLength, &problem))
    throw std::invalid_argument("the PDF password " + problem);
  const auto bytes = PdfPasswordBytes(text);
  return ScramblePassword(kPasswordKey, bytes ? *bytes : PasswordText(text));
}

RegValue Stored(const PdfOptionField& field, const PdfOptions& options) {
  return std::visit(
      Visitor{[&](bool O::*m) { return RegValue::Dword(options.*m ? 1 : 0); },
              [&](int O::*m) { return RegValue::Dword(static_cast<uint32_t>(options.*m)); },
              [&](std::string O::*m) {
                return RegValue::String(
                    field.type == Type::Password
                        ? StoredPassword(options.*m, options.protectionKeyLength)
                        : options.*m);
              }},
      field.member);
}

}  // namespace

PdfOptions::PdfOptions() {
  for (const PdfOptionField& field : kFields) SetDefault(field, *this);
}

uint8_t PdfOptions::Permissions() const {
  const bool bits[] = {allowPrinting,         allowModifyStructure,   allowCopyInformation,
                       allowModifyAnnotation, allowHiQualityPrinting, allowFillAnnotation,
                       allowExtractInfo,      allowAssemble};
  uint8_t permissions = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (bits[bit]) permissions = static_cast<uint8_t>(permissions | 1 << bit);
  return permissions;
}

std::span<const PdfOptionField> PdfOptionFields() { return kFields; }

std::optional<int> PdfVersionForCompliance(int compliance) {
  if (compliance == kPdfA1b) return kPdfA1bVersion;
  if (compliance == kPdfA2b) return kPdfA2bVersion;
  return std::nullopt;
}

const PdfOptionField& PdfOptionFieldNamed(std::string_view name) {
  for (const PdfOptionField& field : kFields)
    if (name == field.name) return field;
  throw std::out_of_range("no PDF option named " + std::string(name));
}

bool IsAllowed(const PdfOptionField& field, int64_t value) {
  if (field.choices.empty()) return value >= field.low && value <= field.high;
  for (const PdfOptionChoice& choice : field.choices)
    if (choice.value == value) return true;
  return false;
}

PdfOptions ReadPdfOptions(platform::RegistryStore& store) {
  const RegistryReader key(store, kPdfOptionsKey, Strictness::Strict);
  PdfOptions options = ReadFields(key);
  RefusePdfAWithProtection(options);
  for (const PdfOptionField& field : kFields)
    if (field.type == Type::Password && PasswordEnabled(field, options))
      PasswordOf(field, options) = SilentPassword(key, field, options.protectionKeyLength);
  return options;
}

PdfOptions LoadPdfOptions(platform::RegistryStore& store) {
  const RegistryReader key(store, kPdfOptionsKey, Strictness::Lenient);
  PdfOptions options = ReadFields(key);
  for (const PdfOptionField& field : kFields)
    if (field.type == Type::Password)
      PasswordOf(field, options) =
          PasswordText(UnscramblePassword(kPasswordKey, key.ReadString(field.name, "")));
  return options;
}

void SavePdfOptions(platform::RegistryStore& store, const PdfOptions& options) {
  platform::NamedValues values;
  for (const PdfOptionField& field : kFields)
    if (field.type != Type::Password || PasswordEnabled(field, options))
      values.emplace_back(field.name, Stored(field, options));
  store.WriteValues(kPdfOptionsKey, values);
}

std::optional<std::string> PdfPasswordBytes(const std::string& text) {
  if (!IsUtf8(text)) return text;
  return platform::WideToMultiByteExact(1252, platform::Utf8ToUtf16(text));
}

std::optional<std::string> PdfPasswordFor(const std::string& text, int keyLength,
                                          std::string* problem) {
  if (keyLength != kAes256KeyLength) {
    auto bytes = PdfPasswordBytes(text);
    if (!bytes && problem)
      *problem =
          "has characters that a PDF password cannot hold (only Windows-1252 characters can be "
          "used)";
    return bytes;
  }
  const std::string unicode = PasswordText(text);
  const pdf::PreparedPassword prepared = pdf::SaslPrepPassword(unicode);
  if (!prepared.ok) {
    if (problem) *problem = "cannot be used with 256-bit AES: " + prepared.problem;
    return std::nullopt;
  }
  return unicode;
}

// The document writes its information strings as Windows-1252 bytes; a
// character without one becomes "?", as the Windows conversion does.
std::string PdfSingleByteText(const std::string& utf8) {
  return platform::WideToMultiByte(1252, platform::Utf8ToUtf16(utf8));
}

}  // namespace app
