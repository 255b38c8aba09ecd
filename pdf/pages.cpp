#include "pdf/pages.h"

#include <algorithm>
#include <stdexcept>

#include "pdf/page.h"

namespace pdf {

TPDFPages::TPDFPages(TPDFDocument& document, bool forms) : document_(document), forms_(forms) {}

TPDFPages::~TPDFPages() = default;

TPDFPage& TPDFPages::Add() {
  Item item;
  item.page = std::make_unique<TPDFPage>(document_, forms_);
  item.objectNumber = item.page->ObjectNumber();
  items_.push_back(std::move(item));
  return *items_.back().page;
}

const TPDFPages::Item& TPDFPages::At(int index) const {
  return items_.at(static_cast<size_t>(index));
}

TPDFPage& TPDFPages::Items(int index) {
  const Item& item = At(index);
  if (!item.page) throw std::out_of_range("page already written and released");
  return *item.page;
}

bool TPDFPages::IsReleased(int index) const { return !At(index).page; }

int TPDFPages::IndexOf(const TPDFPage& page) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].page.get() == &page) return static_cast<int>(i);
  return -1;
}

void TPDFPages::Remove(TPDFPage& page) {
  std::erase_if(items_, [&](const Item& item) { return item.page.get() == &page; });
}

void TPDFPages::Clear() { items_.clear(); }

void TPDFPages::Release(const TPDFPage& page) {
  const int index = IndexOf(page);
  if (index < 0) return;
  Item& item = items_[static_cast<size_t>(index)];
  item.objectNumber = page.ObjectNumber();
  item.height = page.Height();
  item.factor = page.ExactFactor();
  item.page.reset();
}

int64_t TPDFPages::ObjectNumberOf(int index) const {
  const Item& item = At(index);
  return item.page ? item.page->ObjectNumber() : item.objectNumber;
}

double TPDFPages::ExtYOf(int index, double y) {
  const Item& item = At(index);
  if (item.page) return item.page->ExtY(y);
  return static_cast<double>(item.height - y / item.factor);
}

}  // namespace pdf
