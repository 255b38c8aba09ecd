#include "emf2pdf/converter_tree.h"

namespace emf2pdf {

TElMTree::Item& TElMTree::AddChild(Item& parent, TConverterNode data) {
  auto item = std::make_unique<Item>();
  item->data = std::move(data);
  item->parent = &parent;
  parent.children.push_back(std::move(item));
  return *parent.children.back();
}

void TElMTree::Walk(const std::function<bool(Item&, int)>& visit) {
  int index = 0;
  WalkBelow(root_, index, visit);
}

bool TElMTree::WalkBelow(Item& item, int& index, const std::function<bool(Item&, int)>& visit) {
  for (auto& child : item.children) {
    if (!visit(*child, index++)) return false;
    if (!WalkBelow(*child, index, visit)) return false;
  }
  return true;
}

}  // namespace emf2pdf
