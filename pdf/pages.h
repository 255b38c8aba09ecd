#pragma once

#include <memory>
#include <vector>

namespace pdf {

class TPDFDocument;
class TPDFPage;

// An owning, ordered list of pages, or of the form objects of one page.
class TPDFPages {
 public:
  TPDFPages(TPDFDocument& document, bool forms);
  ~TPDFPages();
  TPDFPages(const TPDFPages&) = delete;
  TPDFPages& operator=(const TPDFPages&) = delete;

  TPDFPage& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TPDFPage& Items(int index) { return *items_.at(static_cast<size_t>(index)); }
  int IndexOf(const TPDFPage& page) const;
  void Remove(TPDFPage& page);
  void Clear();

 private:
  TPDFDocument& document_;
  bool forms_;
  std::vector<std::unique_ptr<TPDFPage>> items_;
};

}  // namespace pdf
