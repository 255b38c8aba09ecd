#include "support/emf_convert_support.h"

#include <algorithm>
#include <filesystem>

#include "emf2pdf/emf2pdf_converter.h"
#include "support/graphics_test_support.h"

namespace emw_test {

bool ConvertPages(const std::vector<std::string>& pages, const std::string& pdfPath,
                  std::string* error, pdf::TPDFVersion version) {
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetVersion(version);
  converter.SetFileName(pdfPath);
  converter.SetCompression(pdf::ctFlate);
  converter.SetGenerateBookmarks(false);
  converter.BeginDoc();
  for (const std::string& page : pages) converter.AddDocument({page});
  const bool ok = converter.Convert();
  if (ok)
    converter.EndDoc();
  else
    converter.Abort();
  if (error) *error = converter.LastError();
  return ok;
}

std::unique_ptr<ConvertedPicture> ConvertPicture(const emfbuild::EmfBuilder& picture,
                                                 pdf::TPDFVersion version) {
  auto result = std::make_unique<ConvertedPicture>();
  const std::string emf = result->folder.file("page.emf");
  picture.writeFile(emf);
  result->pdf = result->folder.file("page.pdf");
  result->ok = ConvertPages({emf}, result->pdf, nullptr, version);
  return result;
}

uint32_t PictureColorAt(const std::string& pdf, double x, double y, double width, double height) {
  graphics_test::Rgb p;
  if (!graphics_test::RenderPixel(pdf, 72, static_cast<int>(14.17 + x * 566.65 / width),
                                  static_cast<int>(14.17 + y * 813.65 / height), &p))
    return 0xFFFFFFFF;
  auto snap = [](int v) { return static_cast<uint8_t>(v < 60 ? 0 : v > 195 ? 255 : v); };
  return emfbuild::Rgb(snap(p.r), snap(p.g), snap(p.b));
}

std::vector<std::string> CorpusFiles(const std::string& folder) {
  std::vector<std::string> files;
  const std::filesystem::path root = std::filesystem::path(TALLOWCRAFT_CORPUS_DIR) / folder;
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ec))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace emw_test
