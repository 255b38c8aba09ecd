#include "app/output_names.h"

#include <string_view>

#include "app/path_rules.h"
#include "platform/folders.h"
#include "platform/message_box.h"

namespace app {

namespace {

constexpr std::string_view kReserved = "\"$%&*/:<=>?[\\]|";

// Yes when the file does not exist or the user agrees to replace it.
bool MayReplace(const std::string& file) {
  if (!platform::FileExists(file)) return true;
  const std::string text =
      "File \"" + file + "\" already exists.\r\nDo you want to overwrite file?";
  return platform::ShowMessageBox(text, "Replace File", platform::MessageIcon::Warning,
                                  platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

}  // namespace

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
    default:
      return "";
  }
}

std::string ProposedFileName(const std::string& documentName, int filterIndex) {
  // Document names come from Windows programs as well as Linux ones.
  const size_t cut = documentName.find_last_of("\\/:");
  const std::string name = cut == std::string::npos ? documentName : documentName.substr(cut + 1);
  return ChangeFileExt(SanitizeDocumentName(name), "") + FilterExtension(filterIndex);
}

int FilterIndexForName(const std::string& chosen, int filterIndex) {
  const std::string extension = LowerCase(ExtractFileExt(chosen));
  int named = 0;
  for (int index : {kFilterSwf, kFilterPdf, kFilterJpeg})
    if (extension == FilterExtension(index)) named = index;
  if (named == 0 || named == filterIndex) return filterIndex;
  if (filterIndex == kFilterSwfAndPdf && named != kFilterJpeg) return filterIndex;
  return named;
}

std::string CompleteFileName(const std::string& chosen, int filterIndex) {
  if (!ExtractFileExt(chosen).empty()) return chosen;
  return chosen + FilterExtension(filterIndex);
}

bool ConfirmOverwrite(const std::string& fileName, int filterIndex) {
  if (filterIndex == kFilterJpeg) return MayReplace(ChangeFileExt(fileName, ".jpg"));
  if (filterIndex == kFilterSwf || filterIndex == kFilterSwfAndPdf)
    if (!MayReplace(ChangeFileExt(fileName, ".swf"))) return false;
  if (filterIndex == kFilterPdf || filterIndex == kFilterSwfAndPdf)
    return MayReplace(ChangeFileExt(fileName, ".pdf"));
  return true;
}

}  // namespace app
