#include "app/pdf_conversion.h"

#include <chrono>
#include <ctime>
#include <stdexcept>

#include "app/path_rules.h"
#include "emf2pdf/emf2pdf_converter.h"
#include "platform/folders.h"
#include "platform/random_bytes.h"

namespace app {

namespace {

// As long as a PDF password can be.
constexpr size_t kRandomOwnerPasswordBytes = 32;

// A random owner password of `bytes` random bytes as hexadecimal digits, a
// password SASLprep leaves as it is (for 256-bit AES).
std::string RandomHexPassword(size_t bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : platform::RandomBytes(bytes)) {
    text += kDigits[static_cast<uint8_t>(c) >> 4];
    text += kDigits[static_cast<uint8_t>(c) & 15];
  }
  return text;
}

std::chrono::system_clock::time_point StartOfToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// Options read from the settings hold allowed values only; others made in
// code take the default rather than index past a table.
template <typename Enum>
Enum Allowed(const char* name, int value) {
  const PdfOptionField& field = PdfOptionFieldNamed(name);
  return static_cast<Enum>(IsAllowed(field, value) ? value : field.fallback);
}

}  // namespace

void ApplyPdfOptions(const PdfOptions& options, const std::optional<std::string>& dialogProducer,
                     emf2pdf::TEMF2PDFConverter& converter) {
  converter.SetProtectionOptions(options.Permissions());
  converter.SetMarginLeft(options.leftMargin);
  converter.SetMarginRight(options.rightMargin);
  converter.SetMarginTop(options.topMargin);
  converter.SetMarginBottom(options.bottomMargin);
  converter.SetProtectionEnabled(options.protectionEnabled);
  // The options hold only passwords PdfPasswordFor takes: the silent run
  // refuses others and the dialog does not let them through.
  const int keyLength = options.protectionKeyLength;
  const std::string userPassword = PdfPasswordFor(options.userPassword, keyLength).value_or("");
  const std::string ownerPassword = PdfPasswordFor(options.masterPassword, keyLength).value_or("");
  if (options.userPasswordEnabled) converter.SetUserPassword(userPassword);
  if (options.masterPasswordEnabled) converter.SetOwnerPassword(ownerPassword);
  // Without an owner password of its own, anyone who opens the file would
  // have the owner's rights and the permissions would bind nobody; a random
  // one that nobody knows keeps them.
  if (options.protectionEnabled && (!options.masterPasswordEnabled || ownerPassword.empty()))
    converter.SetOwnerPassword(keyLength == kAes256KeyLength
                                   ? RandomHexPassword(kRandomOwnerPasswordBytes)
                                   : platform::RandomBytes(kRandomOwnerPasswordBytes));
  converter.SetPageSize(Allowed<pdf::TPDFPageSize>("PageSize", options.pageSize));
  converter.SetPageOrientation(
      Allowed<pdf::TPDFPageOrientation>("PageOrientation", options.pageOrientation));
  converter.SetVersion(Allowed<pdf::TPDFVersion>("PDFVersion", options.pdfVersion));
  converter.SetCompression(
      Allowed<pdf::TCompressionType>("CompressionType", options.compressionType));
  converter.SetProtectionKeyLength(
      Allowed<pdf::TPDFKeyLength>("ProtectionKeyLength", options.protectionKeyLength));
  // A PDF/A document takes the version of its part.
  converter.SetConformance(Allowed<pdf::TPDFConformance>("PDFACompliance", options.pdfaCompliance));
  converter.SetBookmarksFontCharset(options.fontCharset);
  converter.SetAutoLaunch(false);
  auto& info = converter.DocumentInfo();
  info.Creator = PdfSingleByteText(options.creator);
  info.Author = PdfSingleByteText(options.author);
  info.Subject = PdfSingleByteText(options.subject);
  info.Title = PdfSingleByteText(options.title);
  info.Keywords = PdfSingleByteText(options.keywords);
  if (dialogProducer) {
    info.Producer = PdfSingleByteText(*dialogProducer);
    info.CreationDate = StartOfToday();
  }
  converter.SetGenerateBookmarks(false);
}

std::string ConvertToPdf(const std::vector<emf2pdf::PageSource>& pages,
                         const std::string& outputName, const PdfOptions& options,
                         const std::optional<std::string>& dialogProducer,
                         const std::function<void()>& afterPage) {
  emf2pdf::TEMF2PDFConverter converter;
  const std::string pdfName = ChangeFileExt(outputName, ".pdf");
  converter.SetFileName(pdfName);
  converter.SetRootFolder(platform::TemporaryFolder() + "ppt/");
  ApplyPdfOptions(options, dialogProducer, converter);

  // The old file is not removed first: the document replaces it only once
  // the new one is complete.
  converter.BeginDoc();
  try {
    std::vector<emf2pdf::PageSource> scratch;
    for (const emf2pdf::PageSource& page : pages) {
      scratch.assign(1, page);
      converter.AddDocument(scratch);
      if (afterPage) afterPage();
    }
    // A failed conversion is an error of the run: no half-made PDF is left.
    if (!converter.Convert())
      throw std::runtime_error("Cannot convert the pages to PDF: " + converter.LastError());
    converter.EndDoc();
  } catch (...) {
    if (converter.Active()) converter.Abort();
    throw;
  }
  return pdfName;
}

}  // namespace app
