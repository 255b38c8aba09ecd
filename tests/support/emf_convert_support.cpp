#include "support/emf_convert_support.h"

#include <algorithm>
#include <filesystem>

#include "emf2pdf/emf2pdf_converter.h"

namespace emw_test {

bool ConvertPages(const std::vector<std::string>& pages, const std::string& pdfPath,
                  std::string* error) {
  emf2pdf::TEMF2PDFConverter converter;
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
