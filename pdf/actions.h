#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace pdf {

class TPDFDocument;

// Something a viewer does when a link or an outline item is used. Actions
// are owned by the document's action collection and written once each, after
// the pages, however many links and items share them.
class TPDFAction {
 public:
  explicit TPDFAction(TPDFDocument& document) : document_(document) {}
  virtual ~TPDFAction() = default;
  TPDFAction(const TPDFAction&) = delete;
  TPDFAction& operator=(const TPDFAction&) = delete;

  TPDFDocument& Document() { return document_; }
  int64_t ObjectNumber() const { return objectNumber_; }
  void SetObjectNumber(int64_t number) { objectNumber_ = number; }
  // Performed after this one; registered together with it at save.
  TPDFAction* NextAction() const { return next_; }
  void SetNextAction(TPDFAction* next) { next_ = next; }

  // Writes the action's own object (its number is set by then).
  void Write();

 protected:
  // The dictionary lines between "/S" and "/Next".
  virtual void WriteBody() = 0;

 private:
  TPDFDocument& document_;
  int64_t objectNumber_ = 0;
  TPDFAction* next_ = nullptr;
};

class TPDFURLAction : public TPDFAction {
 public:
  using TPDFAction::TPDFAction;
  const std::string& URL() const { return url_; }
  void SetURL(const std::string& url);  // refuses "" ("URL cannot be empty")

 protected:
  void WriteBody() override;

 private:
  std::string url_;
};

class TPDFGoToPageAction : public TPDFAction {
 public:
  using TPDFAction::TPDFAction;
  int32_t PageIndex() const { return pageIndex_; }  // 0-based
  void SetPageIndex(int32_t index);                 // refuses negative values
  int32_t TopOffset() const { return topOffset_; }  // device units from the page top
  void SetTopOffset(int32_t offset);                // refuses negative values
  bool FitH() const { return fitH_; }
  void SetFitH(bool value) { fitH_ = value; }

 protected:
  void WriteBody() override;

 private:
  int32_t pageIndex_ = 0;
  int32_t topOffset_ = 0;
  bool fitH_ = false;
};

// All actions made for one document, and the registered ones in
// registration order (the order they are written in).
class TPDFActions {
 public:
  explicit TPDFActions(TPDFDocument& document) : document_(document) {}
  TPDFActions(const TPDFActions&) = delete;
  TPDFActions& operator=(const TPDFActions&) = delete;

  // New actions belong to the collection but are not registered yet.
  TPDFURLAction& CreateURLAction(const std::string& url);
  TPDFGoToPageAction& CreateGoToPageAction(int32_t pageIndex, int32_t topOffset);

  int Count() const { return static_cast<int>(registered_.size()); }
  TPDFAction& Items(int index) { return *registered_.at(static_cast<size_t>(index)); }
  int IndexOf(const TPDFAction& action) const;
  void Add(TPDFAction& action);  // registers once
  void Clear();

 private:
  TPDFDocument& document_;
  std::vector<std::unique_ptr<TPDFAction>> owned_;
  std::vector<TPDFAction*> registered_;
  std::unordered_set<const TPDFAction*> registeredSet_;  // pages may carry thousands of links
};

}  // namespace pdf
