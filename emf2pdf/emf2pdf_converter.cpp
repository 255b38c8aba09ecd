#include "emf2pdf/emf2pdf_converter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "emf2pdf/bounds_device.h"
#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emw_form_player.h"
#include "emf2pdf/picture_fit.h"
#include "emf2pdf/trace_device.h"
#include "pdf/actions.h"
#include "pdf/outlines.h"
#include "pdf/page.h"

namespace emf2pdf {

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::vector<std::string> SplitFolders(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', start)) {
    parts.push_back(path.substr(start, at - start));
    start = at + 1;
  }
  return parts;
}

// Page pixels, halves to even.
int RoundEven(double value) {
  if (!std::isfinite(value)) return 0;
  const double r = std::nearbyint(value);
  if (r > 2147483647.0) return 2147483647;
  if (r < -2147483647.0) return -2147483647;
  return static_cast<int>(r);
}

bool FrameEmpty(const EmfHeader& h) {
  const RectL& f = h.rclFrame;
  return FramePixels(static_cast<double>(f.right) - f.left, h.szlDevice.cx, h.szlMillimeters.cx) ==
             0 ||
         FramePixels(static_cast<double>(f.bottom) - f.top, h.szlDevice.cy, h.szlMillimeters.cy) ==
             0;
}

void PutI32At(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(bits >> (8 * i));
}

// The picture with the paper as its frame, from the top-left corner of the
// page, on a 96 dpi device where its own gives no size; nullopt when it
// has a frame of its own or the paper is unknown.
std::optional<EmfReader> WithPaperFrame(const EmfReader& emf, const SpoolDevMode& mode) {
  const std::optional<PaperSize> paper = DevModePaper(mode);
  if (!paper || !FrameEmpty(emf.Header())) return std::nullopt;
  constexpr size_t kFrameAt = 24;
  constexpr size_t kDeviceAt = 72;
  std::vector<uint8_t> bytes(emf.Bytes().begin(), emf.Bytes().end());
  const int32_t frame[] = {0, 0, paper->width, paper->height};
  for (size_t i = 0; i < 4; ++i) PutI32At(bytes, kFrameAt + 4 * i, frame[i]);
  const EmfHeader& h = emf.Header();
  if (h.szlDevice.cx <= 0 || h.szlDevice.cy <= 0 || h.szlMillimeters.cx <= 0 ||
      h.szlMillimeters.cy <= 0) {
    const int32_t device[] = {9600, 9600, 2540, 2540};
    for (size_t i = 0; i < 4; ++i) PutI32At(bytes, kDeviceAt + 4 * i, device[i]);
  }
  return EmfReader::FromBytes(std::move(bytes), emf.Name());
}

}  // namespace

TEMF2PDFConverter::TEMF2PDFConverter() {
  SetOnePass(true);
  // The reference device is a virtual 96 dpi device and so is the screen.
  screenDcResolution_ = 96;
  emfToPdfFactor_ = screenDcResolution_ / Resolution();
  xScaleFactor_ = EMFOptions().ReferencePixelsPerInchX / screenDcResolution_;
  yScaleFactor_ = EMFOptions().ReferencePixelsPerInchY / screenDcResolution_;
}

TEMF2PDFConverter::~TEMF2PDFConverter() { tree_.Clear(); }

void TEMF2PDFConverter::AddDocument(const std::vector<PageSource>& files, const std::string& name) {
  AddDocument(files, {}, name);
}

void TEMF2PDFConverter::AddDocument(const std::vector<PageSource>& files,
                                    const TPageLinksList& links, const std::string& name) {
  try {
    std::string root = rootFolder_;
    if (!root.empty() && root.back() != '/' && root.back() != '\\') root += '/';
    std::string relative = name;
    if (!root.empty()) {
      const size_t at = LowerAscii(relative).find(LowerAscii(root));
      if (at != std::string::npos) relative.erase(at, root.size());
    }
    TConverterNode node;
    const size_t slash = relative.rfind('\\');
    node.Name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    node.Files = files;
    node.Links = links;
    TElMTree::Item& folder = FolderItem(relative);
    tree_.AddChild(folder, std::move(node));
    ++documentCount_;
  } catch (const std::exception&) {
    // Registration reports nothing; a document that could not be built is
    // simply not added.
  }
}

TElMTree::Item& TEMF2PDFConverter::FolderItem(const std::string& relativeName) {
  const size_t slash = relativeName.rfind('\\');
  if (slash == std::string::npos) return tree_.Root();
  TElMTree::Item* current = &tree_.Root();
  bool made = false;
  for (const std::string& component : SplitFolders(relativeName.substr(0, slash + 1))) {
    TElMTree::Item* found = nullptr;
    if (!made) {
      for (auto& child : current->children) {
        if (child->data.IsFolder && child->data.Name == component) {
          found = child.get();
          break;
        }
      }
    }
    if (found == nullptr) {
      TConverterNode folder;
      folder.IsFolder = true;
      folder.Name = component;
      found = &tree_.AddChild(*current, std::move(folder));
      made = true;
    }
    current = found;
  }
  return *current;
}

bool TEMF2PDFConverter::Convert() {
  lastError_.clear();
  try {
    if (generateBookmarks_) SetPageMode(pdf::pmUseOutlines);
    tree_.Walk([this](TElMTree::Item& item, int) {
      ConvertItem(item);
      return true;
    });
    return true;
  } catch (const std::exception& error) {
    lastError_ = error.what();
  } catch (...) {
    lastError_ = "unknown error";
  }
  return false;
}

void TEMF2PDFConverter::ConvertItem(TElMTree::Item& item) {
  TConverterNode& node = item.data;
  if (node.IsFolder) {
    if (generateBookmarks_) node.Outline = AddBookmark(item, firstPageDrawn_ ? PageCount() : 0);
    return;
  }
  for (size_t i = 0; i < node.Files.size(); ++i) {
    const PageSource& source = node.Files[i];
    DrawPage(LoadPage(source), source.label, source.paper);
    if (i < node.Links.size()) AddLinks(node.Links[i]);
    if (generateBookmarks_ && i == 0) AddBookmark(item, PageCount() - 1);
  }
}

void TEMF2PDFConverter::DrawPage(const EmfReader& emf, const std::string& file,
                                 const std::optional<SpoolDevMode>& paper) {
  if (firstPageDrawn_) {
    NewPage();
  } else {
    firstPageDrawn_ = true;
  }
  pdf::TPDFPage& page = CurrentPage();
  page.SetOrientation(pageOrientation_);
  page.SetSize(pageSize_);
  pageTrace_ =
      PageTrace::Start(traceMode_, firstPageNumber_ - 1 + PageCount(), file, Resolution() / 72.0);
  // A header without a usable frame takes the paper it was printed on, else
  // one from what the picture draws.
  std::optional<EmfReader> framed;
  if (pageSize_ == pdf::psUserDefined && paper) framed = WithPaperFrame(emf, *paper);
  if (!framed) framed = WithMeasuredFrame(emf, *this);
  const EmfReader& picture = framed ? *framed : emf;
  const bool trueSize =
      pageSize_ == pdf::psUserDefined && SizeToFrame(page, picture.Header(), file);
  PlacePicture(page, picture, file, trueSize);
  DrawWatermark(page);
  if (pageTrace_) pageTrace_->Finish();
  pageTrace_.reset();
}

// A length of the picture frame (hundredths of a millimetre) in device units.
double TEMF2PDFConverter::FrameToDevice(int32_t from, int32_t to) const {
  return std::fabs(static_cast<double>(to) - from) * Resolution() / 2540.0;
}

// "Same as the printed page": the page is the picture's frame with the
// margins around it, so the picture keeps its true size and orientation;
// true when it does. A page beyond PDF's sizes is held to them and the
// picture fitted inside the margins; a frame that gives no page takes A4.
bool TEMF2PDFConverter::SizeToFrame(pdf::TPDFPage& page, const EmfHeader& header,
                                    const std::string& file) {
  const double width = FrameToDevice(header.rclFrame.left, header.rclFrame.right);
  const double height = FrameToDevice(header.rclFrame.top, header.rclFrame.bottom);
  // PDF pages run from 3 to 14,400 points on each side.
  const double factor = Resolution() / 72.0;
  const double smallest = 3 * factor;
  const double largest = 14400 * factor;
  if (!(width >= smallest && width <= largest && height >= smallest && height <= largest)) {
    std::fprintf(stderr, "tallowcraft: %s: the picture's frame gives no page size; using A4\n",
                 file.c_str());
    page.SetSize(pdf::psA4);
    return false;
  }
  const double r = Resolution() / 25.4;
  const double pageWidth = width + (marginLeft_ + marginRight_) * r;
  const double pageHeight = height + (marginTop_ + marginBottom_) * r;
  const double madeWidth = std::clamp(pageWidth, smallest, largest);
  const double madeHeight = std::clamp(pageHeight, smallest, largest);
  page.SetWidth(madeWidth);
  page.SetHeight(madeHeight);
  if (madeWidth == pageWidth && madeHeight == pageHeight) return true;
  std::fprintf(stderr,
               "tallowcraft: %s: the picture with its margins is beyond PDF's page sizes; it is "
               "fitted inside the margins\n",
               file.c_str());
  return false;
}

void TEMF2PDFConverter::PlacePicture(pdf::TPDFPage& page, const EmfReader& emf,
                                     const std::string& file, bool trueSize) {
  const double r = Resolution() / 25.4;
  auto area = AreaInsideMargins(page.WidthPx(), page.HeightPx(), r,
                                {marginLeft_, marginTop_, marginRight_, marginBottom_});
  // A page sized by its picture has room for it, unless it had to be held to
  // PDF's sizes or take A4; then the picture fills that page.
  if (!area && pageSize_ == pdf::psUserDefined) {
    std::fprintf(stderr,
                 "tallowcraft: %s: the margins leave no room on the page; the picture fills it\n",
                 file.c_str());
    area = AreaInsideMargins(page.WidthPx(), page.HeightPx(), r, {});
  }
  if (!area) throw std::runtime_error("The margins leave no room for the picture on the page");
  const double availableWidth = area->width;
  const double availableHeight = area->height;

  const EmfHeader& header = emf.Header();
  const double wm = FramePixels(static_cast<double>(header.rclFrame.right) - header.rclFrame.left,
                                header.szlDevice.cx, header.szlMillimeters.cx);
  const double hm = FramePixels(static_cast<double>(header.rclFrame.bottom) - header.rclFrame.top,
                                header.szlDevice.cy, header.szlMillimeters.cy);
  double xScale = availableWidth / wm * emfToPdfFactor_;
  double yScale = availableHeight / hm * emfToPdfFactor_;
  if (wm == 0 || hm == 0 || !std::isfinite(xScale) || !std::isfinite(yScale)) {
    std::fprintf(stderr,
                 "tallowcraft: %s: the picture's frame or device size is 0 or out of range; "
                 "its page stays blank\n",
                 file.c_str());
    return;
  }
  double left = area->left;
  double top = area->top;
  if (pageSize_ == pdf::psUserDefined) {
    if (trueSize) {
      // The frame itself, not the page: the page is whole points, and
      // its rounding is shared by the margins on either side.
      xScale = FrameToDevice(header.rclFrame.left, header.rclFrame.right) / wm * emfToPdfFactor_;
      yScale = FrameToDevice(header.rclFrame.top, header.rclFrame.bottom) / hm * emfToPdfFactor_;
    } else {
      // Proportions kept inside the margins.
      xScale = yScale = std::min(xScale, yScale);
    }
    left += (availableWidth - wm * xScale / emfToPdfFactor_) / 2;
    top += (availableHeight - hm * yScale / emfToPdfFactor_) / 2;
  }
  TEMWFormPlayer parser(emf);
  parser.SetTrace(pageTrace_.get());
  page.PlayMetaFile(parser, left, top, xScale, yScale);
  if (!parser.WalkCompleted())
    std::fprintf(stderr, "tallowcraft: %s: damaged records; the page shows what came before\n",
                 file.c_str());
}

void TEMF2PDFConverter::AddLinks(const TUrlPositionList& links) {
  const double r = Resolution() / 25.4;
  const double f = emfToPdfFactor_;
  const double left0 = marginLeft_ * r;
  const double top0 = marginTop_ * r;
  for (const TUrlPositionObj& link : links) {
    pdf::TPDFURLAction& action = Actions().CreateURLAction(link.Url);
    RegisterAction(action);
    CurrentPage().CreateAnnotation(RoundEven(left0 + link.Left / f), RoundEven(top0 + link.Top / f),
                                   RoundEven(left0 + link.Right / f),
                                   RoundEven(top0 + link.Bottom / f), &action);
  }
}

pdf::TPDFOutlineNode* TEMF2PDFConverter::AddBookmark(TElMTree::Item& item, int pageIndex) {
  pdf::TPDFGoToPageAction& action = Actions().CreateGoToPageAction(pageIndex, 0);
  pdf::TPDFOutlineNode* parent = item.parent != nullptr ? item.parent->data.Outline : nullptr;
  return &Outlines().AddOutline(parent, item.data.Name, static_cast<uint8_t>(bookmarksFontCharset_),
                                &action);
}

}  // namespace emf2pdf
