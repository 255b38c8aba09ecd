#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pdf/document.h"

namespace emf2pdf {

// Draws every registered metafile on a page of its own. A document of the
// PDF writer with the page set-up that the pictures are stretched into.
class TEMF2PDFConverter : public pdf::TPDFDocument {
 public:
  TEMF2PDFConverter();
  ~TEMF2PDFConverter() override;

  // Registers the files of one document (one page each), in order.
  void AddDocument(const std::vector<std::string>& files, const std::string& name = {});
  // Draws every registered document; false when anything failed.
  bool Convert();
  int DocumentCount() const { return static_cast<int>(documents_.size()); }

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

 private:
  struct RegisteredDocument {
    std::vector<std::string> files;
    std::string name;
  };

  std::vector<RegisteredDocument> documents_;
  pdf::TPDFPageSize pageSize_ = pdf::psA4;
  pdf::TPDFPageOrientation pageOrientation_ = pdf::poPagePortrait;
  double marginLeft_ = 0;
  double marginRight_ = 0;
  double marginTop_ = 0;
  double marginBottom_ = 0;
  std::string rootFolder_;
  int bookmarksFontCharset_ = 1;
  bool generateBookmarks_ = false;
};

}  // namespace emf2pdf
