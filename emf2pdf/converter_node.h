#pragma once

#include <string>
#include <vector>

#include "emf2pdf/page_source.h"

namespace pdf {
class TPDFOutlineNode;
}

namespace emf2pdf {

// One link of a page: the target URL and its rectangle in units of
// 1/ScreenDCResolution inch from the top-left corner of the picture.
struct TUrlPositionObj {
  std::string Url;
  std::string Text;  // carried along, not used
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

using TUrlPositionList = std::vector<TUrlPositionObj>;
// One link list per page, in page order.
using TPageLinksList = std::vector<TUrlPositionList>;

// A folder or a document of the converter's tree.
struct TConverterNode {
  TPageLinksList Links;
  std::vector<PageSource> Files;
  std::string Name;
  bool IsFolder = false;
  pdf::TPDFOutlineNode* Outline = nullptr;  // owned by the document's outlines
};

}  // namespace emf2pdf
