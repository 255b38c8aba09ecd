#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace pdf {

class TPDFDocument;
class TPDFPage;

// An owning, ordered list of pages, or of the form objects of one page.
// A written document page can be let go: what later objects ask of it (its
// object number, and where a go-to-page offset lands on it) stays, so a long
// job's memory does not grow with its pages.
class TPDFPages {
 public:
  TPDFPages(TPDFDocument& document, bool forms);
  ~TPDFPages();
  TPDFPages(const TPDFPages&) = delete;
  TPDFPages& operator=(const TPDFPages&) = delete;

  TPDFPage& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  // The page itself; throws std::out_of_range past the list or for a page
  // that has been let go.
  TPDFPage& Items(int index);
  bool IsReleased(int index) const;
  int IndexOf(const TPDFPage& page) const;
  void Remove(TPDFPage& page);
  void Clear();

  // Frees a written page, keeping its number and geometry.
  void Release(const TPDFPage& page);
  int64_t ObjectNumberOf(int index) const;
  // TPDFPage::ExtY of the page, also after it was let go.
  double ExtYOf(int index, double y);

 private:
  struct Item {
    std::unique_ptr<TPDFPage> page;  // null once released
    int64_t objectNumber = 0;
    int height = 0;  // points
    long double factor = 1;
  };
  const Item& At(int index) const;

  TPDFDocument& document_;
  bool forms_;
  std::vector<Item> items_;
};

}  // namespace pdf
