#include "pdf/pages.h"

#include <algorithm>

#include "pdf/page.h"

namespace pdf {

TPDFPages::TPDFPages(TPDFDocument& document, bool forms) : document_(document), forms_(forms) {}

TPDFPages::~TPDFPages() = default;

TPDFPage& TPDFPages::Add() {
  items_.push_back(std::make_unique<TPDFPage>(document_, forms_));
  return *items_.back();
}

int TPDFPages::IndexOf(const TPDFPage& page) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == &page) return static_cast<int>(i);
  return -1;
}

void TPDFPages::Remove(TPDFPage& page) {
  std::erase_if(items_, [&](const auto& item) { return item.get() == &page; });
}

void TPDFPages::Clear() { items_.clear(); }

}  // namespace pdf
