#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/registry_store.h"

namespace app {

// The PDFFormatOptions key as the program holds it, one member per stored
// value; the field table below gives each its name, type, allowed values and
// default. Text is UTF-8. A password is the text as typed; bytes that are not
// UTF-8 are Windows-1252 already (as the Windows program stores them).
struct PdfOptions {
  PdfOptions();  // every value at its default

  bool allowPrinting, allowModifyStructure, allowCopyInformation, allowModifyAnnotation;
  bool allowHiQualityPrinting, allowFillAnnotation, allowExtractInfo, allowAssemble;
  int protectionKeyLength, compressionType, pdfVersion, pageOrientation, pageSize;
  // 0 none, 1 PDF/A-1b, 2 PDF/A-2b (kPdfA1b, kPdfA2b).
  int pdfaCompliance;
  int leftMargin, rightMargin, topMargin, bottomMargin;
  bool protectionEnabled, userPasswordEnabled, masterPasswordEnabled;
  std::string masterPassword, userPassword;
  int fontCharset;
  bool downloadImages, autoOpenPdf;
  std::string creator, title, keywords, author, subject;

  // The permissions as the PDF writer's bits, AllowPrinting as bit 0.
  uint8_t Permissions() const;
};

enum class PdfOptionType {
  Flag,      // dword:, true when not 0
  Number,    // dword:, one of the allowed values
  Text,      // string
  Password,  // string, scrambled
};

struct PdfOptionChoice {
  int value;
  const char* caption;  // as the dialog lists it
  bool listed = true;   // false: allowed in the settings, not offered by the dialog
};

// PDFACompliance's values beside 0 (none), and the PDFVersion each needs.
inline constexpr int kPdfA1b = 1;
inline constexpr int kPdfA2b = 2;
inline constexpr int kPdfA1bVersion = 1;  // PDF 1.4
inline constexpr int kPdfA2bVersion = 4;  // PDF 1.7
// The PDFVersion a PDFACompliance value needs; nullopt for none.
std::optional<int> PdfVersionForCompliance(int compliance);

// ProtectionKeyLength's values for AES: 128-bit, and 256-bit, whose
// passwords are Unicode.
inline constexpr int kAes128KeyLength = 2;
inline constexpr int kAes256KeyLength = 3;

// Whether the options encrypt with AES (libcrypto's ciphers and random bytes).
inline bool EncryptsWithAes(const PdfOptions& options) {
  return options.protectionEnabled && options.protectionKeyLength >= kAes128KeyLength;
}

// One stored value. A number outside the allowed values reads as the default;
// a value of another registry type is refused by the silent run, naming it,
// and reads as the default in the dialog, which saving then replaces.
struct PdfOptionField {
  const char* name;
  PdfOptionType type;
  int fallback = 0;  // flags and numbers; texts and passwords default to empty
  // Numbers: the allowed values are `choices` when given, else low to high.
  int low = 0;
  int high = 0;
  std::span<const PdfOptionChoice> choices = {};
  std::variant<bool PdfOptions::*, int PdfOptions::*, std::string PdfOptions::*> member;
  // Passwords: the flag that turns them on, and the value the silent run
  // takes the password from in plain text before the scrambled one.
  const char* enabledBy = nullptr;
  const char* plainName = nullptr;
};

// Every stored value, in the order the dialog saves them.
std::span<const PdfOptionField> PdfOptionFields();
// Throws std::out_of_range for a name not in the table.
const PdfOptionField& PdfOptionFieldNamed(std::string_view name);
// Whether a number is one of the field's allowed values.
bool IsAllowed(const PdfOptionField& field, int64_t value);

// The silent run's options: strict (a value of the wrong type is refused with
// a RegistryError naming it), passwords only while their flag is on, from the
// plain value when it exists, else the scrambled one. A password that
// PdfPasswordFor refuses for the key length is refused naming its value;
// PDF/A with protection on is refused naming both values.
PdfOptions ReadPdfOptions(platform::RegistryStore& store);

// The dialog's options: lenient (wrong types read as defaults); the passwords
// are the scrambled values, whatever their flags say.
PdfOptions LoadPdfOptions(platform::RegistryStore& store);

// Writes every value back as one change. A password is stored (scrambled, as
// Windows-1252 bytes when it has them, else as UTF-8, as the silent run reads
// it) only while its flag is on; throws std::invalid_argument for one
// PdfPasswordFor refuses.
void SavePdfOptions(platform::RegistryStore& store, const PdfOptions& options);

// The bytes a PDF password is made of, the encoding PDF readers turn a typed
// password into. `text` is UTF-8; bytes that are not UTF-8 are taken as
// Windows-1252 already. nullopt when a character has no Windows-1252 byte.
std::optional<std::string> PdfPasswordBytes(const std::string& text);

// The password the PDF writer takes under a ProtectionKeyLength: 256-bit AES
// takes Unicode (UTF-8) text that SASLprep accepts, the other key lengths
// PdfPasswordBytes. nullopt when it cannot be one; `problem` then says why.
std::optional<std::string> PdfPasswordFor(const std::string& text, int keyLength,
                                          std::string* problem = nullptr);

// UTF-8 text as the PDF writer's single-byte (Windows-1252) text; characters
// without a byte become "?".
std::string PdfSingleByteText(const std::string& utf8);

}  // namespace app
