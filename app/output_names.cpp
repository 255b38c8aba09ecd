#include "app/output_names.h"

#include <algorithm>
#include <string_view>

#include "app/path_rules.h"
#include "platform/folders.h"
#include "platform/message_box.h"

namespace app {

namespace {

constexpr std::string_view kReserved = "\"$%&*/:<=>?[\\]|";
constexpr const char* kDefaultName = "Printer";
// A question names this many files at most; the rest are counted.
constexpr size_t kListedFiles = 10;

bool AskToReplace(platform::MessagePresenter& messages, const std::string& text) {
  return messages.AskYesNo(text, "Replace File", platform::MessageIcon::Warning);
}

std::string ReplaceOneQuestion(const std::string& file) {
  return "File \"" + file + "\" already exists.\r\nDo you want to overwrite file?";
}

std::string ReplaceManyQuestion(const std::vector<std::string>& files) {
  std::string text = "These files already exist:";
  for (size_t i = 0; i < files.size() && i < kListedFiles; ++i) text += "\r\n" + files[i];
  if (files.size() > kListedFiles)
    text += "\r\nand " + std::to_string(files.size() - kListedFiles) + " more";
  return text + "\r\nDo you want to overwrite them?";
}

// Nothing to make a file name of: no letter, digit or other character but
// dots and spaces, which would give a hidden or blank name.
bool Unusable(const std::string& stem) { return stem.find_first_not_of(". ") == std::string::npos; }

}  // namespace

bool MakesMovie(OutputKind kind) {
  switch (kind) {
    case OutputKind::Movie:
    case OutputKind::MovieAndPdf:
      return true;
    case OutputKind::Pdf:
    case OutputKind::JpegPages:
    case OutputKind::PngPages:
    case OutputKind::TiffDocument:
      break;
  }
  return false;
}

bool MakesPdf(OutputKind kind) {
  switch (kind) {
    case OutputKind::Pdf:
    case OutputKind::MovieAndPdf:
      return true;
    case OutputKind::Movie:
    case OutputKind::JpegPages:
    case OutputKind::PngPages:
    case OutputKind::TiffDocument:
      break;
  }
  return false;
}

bool MakesPictures(OutputKind kind) { return !MakesMovie(kind) && !MakesPdf(kind); }

std::optional<OutputKind> OutputKindOfFilter(int filterIndex) {
  switch (filterIndex) {
    case kFilterSwf:
      return OutputKind::Movie;
    case kFilterPdf:
      return OutputKind::Pdf;
    case kFilterSwfAndPdf:
      return OutputKind::MovieAndPdf;
    case kFilterJpeg:
      return OutputKind::JpegPages;
    case kFilterPng:
      return OutputKind::PngPages;
    case kFilterTiff:
      return OutputKind::TiffDocument;
    default:
      return std::nullopt;
  }
}

std::optional<OutputKind> OutputKindOfFormat(const std::string& format) {
  if (format == "pdf") return OutputKind::Pdf;
  if (format == "swf") return OutputKind::Movie;
  if (format == "jpg" || format == "jpeg") return OutputKind::JpegPages;
  if (format == "png") return OutputKind::PngPages;
  if (format == "tif" || format == "tiff") return OutputKind::TiffDocument;
  return std::nullopt;
}

std::string SanitizeDocumentName(const std::string& text) {
  std::string kept;
  for (char c : text)
    if (kReserved.find(c) == std::string_view::npos) kept.push_back(c);
  return kept;
}

std::string FilterExtension(int filterIndex) {
  switch (filterIndex) {
    case kFilterSwf:
      return ".swf";
    case kFilterPdf:
      return ".pdf";
    case kFilterJpeg:
      return ".jpg";
    case kFilterPng:
      return ".png";
    case kFilterTiff:
      return ".tif";
    default:
      return "";
  }
}

std::string ProposedFileName(const std::string& documentName, int filterIndex) {
  // Document names come from Windows programs as well as Linux ones.
  const size_t cut = documentName.find_last_of("\\/:");
  const std::string name = cut == std::string::npos ? documentName : documentName.substr(cut + 1);
  std::string stem = ChangeFileExt(SanitizeDocumentName(name), "");
  if (Unusable(stem)) stem = kDefaultName;
  return stem + FilterExtension(filterIndex);
}

int FilterIndexForName(const std::string& chosen, int filterIndex) {
  const std::string extension = LowerCase(ExtractFileExt(chosen));
  int named = extension == ".tiff" ? kFilterTiff : 0;
  for (int index : {kFilterSwf, kFilterPdf, kFilterJpeg, kFilterPng, kFilterTiff})
    if (extension == FilterExtension(index)) named = index;
  if (named == 0 || named == filterIndex) return filterIndex;
  if (filterIndex == kFilterSwfAndPdf && (named == kFilterSwf || named == kFilterPdf))
    return filterIndex;
  return named;
}

std::string MovieFileName(const std::string& outputName) {
  if (LowerCase(ExtractFileExt(outputName)) == ".swf") return outputName;
  return ChangeFileExt(outputName, ".swf");
}

std::string PageFileName(const std::string& outputName, int pageNumber, int pageCount,
                         const std::string& extension) {
  const std::string base = ChangeFileExt(outputName, "");
  return base + (pageCount > 1 ? std::to_string(pageNumber) : std::string()) + extension;
}

std::string TiffFileName(const std::string& outputName) {
  const std::string extension = LowerCase(ExtractFileExt(outputName));
  if (extension == ".tif" || extension == ".tiff") return outputName;
  return ChangeFileExt(outputName, ".tif");
}

std::string CompleteFileName(const std::string& chosen, int filterIndex) {
  if (!ExtractFileExt(chosen).empty()) return chosen;
  return chosen + FilterExtension(filterIndex);
}

std::vector<std::string> FilesToWrite(const std::string& fileName, OutputKind output, int pageCount,
                                      bool htmlPage) {
  std::vector<std::string> files;
  if (output == OutputKind::JpegPages || output == OutputKind::PngPages) {
    const std::string extension = output == OutputKind::JpegPages ? ".jpg" : ".png";
    for (int page = 1; page <= std::max(1, pageCount); ++page)
      files.push_back(PageFileName(fileName, page, pageCount, extension));
    return files;
  }
  if (output == OutputKind::TiffDocument) return {TiffFileName(fileName)};
  if (MakesMovie(output)) files.push_back(MovieFileName(fileName));
  if (MakesPdf(output)) files.push_back(ChangeFileExt(fileName, ".pdf"));
  if (MakesMovie(output) && htmlPage)
    files.push_back(ChangeFileExt(MovieFileName(fileName), ".html"));
  return files;
}

bool ConfirmOverwrite(platform::MessagePresenter& messages, const std::string& fileName,
                      OutputKind output, int pageCount, bool htmlPage) {
  std::vector<std::string> existing;
  for (const std::string& file : FilesToWrite(fileName, output, pageCount, htmlPage))
    if (platform::FileExists(file)) existing.push_back(file);
  if (existing.size() > 1 && MakesPictures(output))
    return AskToReplace(messages, ReplaceManyQuestion(existing));
  for (const std::string& file : existing)
    if (!AskToReplace(messages, ReplaceOneQuestion(file))) return false;
  return true;
}

}  // namespace app
