#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "emf2pdf/converter_node.h"

namespace emf2pdf {

// An ordered tree of converter nodes under a root that carries none.
class TElMTree {
 public:
  struct Item {
    TConverterNode data;
    Item* parent = nullptr;
    std::vector<std::unique_ptr<Item>> children;
  };

  Item& Root() { return root_; }
  // Appends a new item as the last child of `parent`.
  Item& AddChild(Item& parent, TConverterNode data);
  // Pre-order walk of every item below the root; `visit` returns false to
  // stop the walk.
  void Walk(const std::function<bool(Item&, int index)>& visit);
  void Clear() { root_.children.clear(); }

 private:
  static bool WalkBelow(Item& item, int& index, const std::function<bool(Item&, int)>& visit);

  Item root_;
};

}  // namespace emf2pdf
