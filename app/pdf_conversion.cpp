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

// Out-of-range stored enumerations take the default instead of indexing
// past a table.
template <typename Enum>
Enum InRange(int value, int count, Enum fallback) {
  return value >= 0 && value < count ? static_cast<Enum>(value) : fallback;
}

std::chrono::system_clock::time_point StartOfToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

}  // namespace

void ApplyPdfOptions(const PdfFormatOptions& options, emf2pdf::TEMF2PDFConverter& converter) {
  converter.SetProtectionOptions(options.protectionOptions);
  converter.SetMarginLeft(options.leftMargin);
  converter.SetMarginRight(options.rightMargin);
  converter.SetMarginTop(options.topMargin);
  converter.SetMarginBottom(options.bottomMargin);
  converter.SetProtectionEnabled(options.protectionEnabled);
  if (options.setUserPassword) converter.SetUserPassword(options.userPassword);
  if (options.setOwnerPassword) converter.SetOwnerPassword(options.ownerPassword);
  // Without an owner password of its own, anyone who opens the file would
  // have the owner's rights and the permissions would bind nobody; a random
  // one that nobody knows keeps them.
  if (options.protectionEnabled && (!options.setOwnerPassword || options.ownerPassword.empty()))
    converter.SetOwnerPassword(platform::RandomBytes(kRandomOwnerPasswordBytes));
  converter.SetPageSize(InRange(options.pageSize, pdf::kPageSizeCount, pdf::psA4));
  converter.SetPageOrientation(InRange(options.pageOrientation, 2, pdf::poPagePortrait));
  converter.SetVersion(InRange(options.pdfVersion, 4, pdf::v13));
  converter.SetCompression(InRange(options.compressionType, 2, pdf::ctFlate));
  converter.SetProtectionKeyLength(InRange(options.protectionKeyLength, 2, pdf::kl40));
  converter.SetBookmarksFontCharset(options.fontCharset);
  converter.SetAutoLaunch(false);
  auto& info = converter.DocumentInfo();
  info.Creator = options.creator;
  info.Author = options.author;
  info.Subject = options.subject;
  info.Title = options.title;
  info.Keywords = options.keywords;
  if (options.producer) info.Producer = *options.producer;
  if (options.createdToday) info.CreationDate = StartOfToday();
  converter.SetGenerateBookmarks(false);
}

std::string ConvertToPdf(const std::vector<std::string>& pageFiles, const std::string& outputName,
                         const PdfFormatOptions& options, const std::function<void()>& afterPage) {
  emf2pdf::TEMF2PDFConverter converter;
  const std::string pdfName = ChangeFileExt(outputName, ".pdf");
  converter.SetFileName(pdfName);
  converter.SetRootFolder(platform::TemporaryFolder() + "ppt/");
  ApplyPdfOptions(options, converter);

  // The old file is not removed first: the document replaces it only once
  // the new one is complete.
  converter.BeginDoc();
  try {
    std::vector<std::string> scratch;
    for (const std::string& page : pageFiles) {
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
