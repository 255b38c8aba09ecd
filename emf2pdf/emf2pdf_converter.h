#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emf2pdf/converter_node.h"
#include "emf2pdf/converter_tree.h"
#include "emf2pdf/page_source.h"
#include "emf2pdf/record_trace.h"
#include "pdf/document.h"

namespace pdf {
class TPDFPage;
}

namespace emf2pdf {

class EmfReader;
struct EmfHeader;
class PageTrace;

// Draws every registered metafile on a page of its own, stretched into the
// area inside the margins, with link annotations and an optional outline
// tree that mirrors the folders of the document names.
class TEMF2PDFConverter : public pdf::TPDFDocument {
 public:
  TEMF2PDFConverter();
  ~TEMF2PDFConverter() override;

  // Registers one document (its pages), in order; `links` holds one link
  // list per page (fewer lists than pages: the rest have none).
  void AddDocument(const std::vector<PageSource>& pages, const std::string& name = {});
  void AddDocument(const std::vector<PageSource>& pages, const TPageLinksList& links,
                   const std::string& name);
  // Draws every registered document; false when anything failed, with the
  // reason in LastError.
  bool Convert();
  const std::string& LastError() const { return lastError_; }
  // Draws one picture on a page of its own by the same rules, between
  // BeginDoc and EndDoc; `file` names the picture in messages. With "same as
  // the printed page", a picture without a frame takes `paper` (the DEVMODE
  // it was printed with) as its frame when there is one. Throws what the
  // page cannot be made for.
  void DrawPage(const EmfReader& emf, const std::string& file,
                const std::optional<SpoolDevMode>& paper = std::nullopt);
  int DocumentCount() const { return documentCount_; }

  double EMFToPDFFactor() const { return emfToPdfFactor_; }
  void SetEMFToPDFFactor(double value) { emfToPdfFactor_ = value; }
  double XScaleFactor() const { return xScaleFactor_; }
  void SetXScaleFactor(double value) { xScaleFactor_ = value; }
  double YScaleFactor() const { return yScaleFactor_; }
  void SetYScaleFactor(double value) { yScaleFactor_ = value; }
  double ScreenDCResolution() const { return screenDcResolution_; }
  void SetScreenDCResolution(double value) { screenDcResolution_ = value; }
  pdf::TPDFPageSize PageSize() const { return pageSize_; }
  void SetPageSize(pdf::TPDFPageSize value) { pageSize_ = value; }
  pdf::TPDFPageOrientation PageOrientation() const { return pageOrientation_; }
  void SetPageOrientation(pdf::TPDFPageOrientation value) { pageOrientation_ = value; }
  double MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(double value) { marginLeft_ = value; }
  double MarginRight() const { return marginRight_; }
  void SetMarginRight(double value) { marginRight_ = value; }
  double MarginTop() const { return marginTop_; }
  void SetMarginTop(double value) { marginTop_ = value; }
  double MarginBottom() const { return marginBottom_; }
  void SetMarginBottom(double value) { marginBottom_ = value; }
  const std::string& RootFolder() const { return rootFolder_; }
  void SetRootFolder(const std::string& value) { rootFolder_ = value; }
  int BookmarksFontCharset() const { return bookmarksFontCharset_; }
  void SetBookmarksFontCharset(int value) { bookmarksFontCharset_ = value; }
  bool GenerateBookmarks() const { return generateBookmarks_; }
  void SetGenerateBookmarks(bool value) { generateBookmarks_ = value; }
  bool AddWatermarks() const { return addWatermarks_; }
  void SetAddWatermarks(bool value) { addWatermarks_ = value; }
  const std::string& WaterMarkText() const { return waterMarkText_; }
  void SetWaterMarkText(const std::string& value) { waterMarkText_ = value; }
  // What is reported on standard error of every record played; by default
  // what TALLOWCRAFT_TRACE asks for.
  TraceMode GetTraceMode() const { return traceMode_; }
  void SetTraceMode(TraceMode value) { traceMode_ = value; }
  // The number a trace gives the first page drawn (a job's later page drawn
  // on a document of its own).
  void SetFirstPageNumber(int value) { firstPageNumber_ = value; }

 private:
  TElMTree::Item& FolderItem(const std::string& relativeName);
  void ConvertItem(TElMTree::Item& item);
  bool SizeToFrame(pdf::TPDFPage& page, const EmfHeader& header, const std::string& file);
  void PlacePicture(pdf::TPDFPage& page, const EmfReader& emf, const std::string& file,
                    bool trueSize);
  double FrameToDevice(int32_t from, int32_t to) const;
  // The watermark text over the picture (converter_watermark.cpp).
  void DrawWatermark(pdf::TPDFPage& page);
  void AddLinks(const TUrlPositionList& links);
  pdf::TPDFOutlineNode* AddBookmark(TElMTree::Item& item, int pageIndex);

  TElMTree tree_;
  int documentCount_ = 0;
  bool firstPageDrawn_ = false;
  std::string lastError_;

  double screenDcResolution_ = 96;
  double emfToPdfFactor_ = 96.0 / 72.0;
  double xScaleFactor_ = 1;
  double yScaleFactor_ = 1;
  pdf::TPDFPageSize pageSize_ = pdf::psA4;
  pdf::TPDFPageOrientation pageOrientation_ = pdf::poPagePortrait;
  double marginLeft_ = 5;
  double marginRight_ = 5;
  double marginTop_ = 5;
  double marginBottom_ = 5;
  std::string rootFolder_;
  int bookmarksFontCharset_ = 1;
  bool generateBookmarks_ = true;
  bool addWatermarks_ = false;
  std::string waterMarkText_;
  TraceMode traceMode_ = TraceModeFromEnvironment();
  int firstPageNumber_ = 1;
  std::unique_ptr<PageTrace> pageTrace_;  // of the page being drawn, when traced
};

}  // namespace emf2pdf
