#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pdf {

class TPDFAction;
class TPDFDocument;
class TPDFOutlines;

// One bookmark. Nodes are made by TPDFOutlines::AddOutline, which links them
// into the tree; the tree owns them.
class TPDFOutlineNode {
 public:
  // Refuses a missing tree ("Outline node must have owner").
  explicit TPDFOutlineNode(TPDFOutlines* owner);
  TPDFOutlineNode(const TPDFOutlineNode&) = delete;
  TPDFOutlineNode& operator=(const TPDFOutlineNode&) = delete;

  TPDFOutlines& Owner() { return owner_; }
  int64_t ObjectNumber() const { return objectNumber_; }
  TPDFOutlineNode* Parent() const { return parent_; }
  TPDFOutlineNode* Prev() const { return prev_; }
  TPDFOutlineNode* Next() const { return next_; }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  TPDFOutlineNode& Child(int index) { return *children_.at(static_cast<size_t>(index)); }

  // Single-byte title in the code page of `Charset`; 0 writes it as bytes.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  uint8_t Charset() const { return charset_; }
  void SetCharset(uint8_t charset) { charset_ = charset; }
  // A title already in UTF-16 takes precedence over the single-byte one.
  const std::u16string& UnicodeTitle() const { return unicodeTitle_; }
  void SetUnicodeTitle(const std::u16string& title) { unicodeTitle_ = title; }
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool value) { expanded_ = value; }
  // Windows colour value (red in the low byte); 0 means none.
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t color) { color_ = color; }
  enum Style : uint8_t { fsBold = 1 << 0, fsItalic = 1 << 1 };
  uint8_t FontStyle() const { return style_; }
  void SetFontStyle(uint8_t style) { style_ = style; }
  TPDFAction* Action() const { return action_; }

 private:
  friend class TPDFOutlines;
  void Write(int64_t treeNumber);
  std::string TitleText() const;

  TPDFOutlines& owner_;
  int64_t objectNumber_ = 0;
  std::vector<TPDFOutlineNode*> children_;
  TPDFOutlineNode* parent_ = nullptr;
  TPDFOutlineNode* prev_ = nullptr;
  TPDFOutlineNode* next_ = nullptr;
  std::string title_;
  std::u16string unicodeTitle_;
  bool expanded_ = false;
  uint8_t charset_ = 0;
  uint32_t color_ = 0;
  uint8_t style_ = 0;
  TPDFAction* action_ = nullptr;
};

// The bookmark tree of a document: every node of every level in one list,
// in creation order, which is also the order of their object numbers.
class TPDFOutlines {
 public:
  explicit TPDFOutlines(TPDFDocument& document) : document_(document) {}
  TPDFOutlines(const TPDFOutlines&) = delete;
  TPDFOutlines& operator=(const TPDFOutlines&) = delete;

  TPDFDocument& Document() { return document_; }
  int64_t ObjectNumber() const { return objectNumber_; }
  int Count() const { return static_cast<int>(nodes_.size()); }
  TPDFOutlineNode& Items(int index) { return *nodes_.at(static_cast<size_t>(index)); }

  // Appends a node as the last child of `parent` (top level when null); the
  // action, when given, is registered with the document.
  TPDFOutlineNode& AddOutline(TPDFOutlineNode* parent, const std::string& title, uint8_t charset,
                              TPDFAction* action);
  TPDFOutlineNode& AddOutline(TPDFOutlineNode* parent, const std::u16string& title,
                              TPDFAction* action);
  void Clear();

  // Numbers the tree and its nodes, then writes the nodes and the tree.
  // Does nothing for an empty tree.
  void Write();

 private:
  TPDFOutlineNode& Link(TPDFOutlineNode* parent, TPDFAction* action);

  TPDFDocument& document_;
  int64_t objectNumber_ = 0;
  std::vector<std::unique_ptr<TPDFOutlineNode>> nodes_;
  TPDFOutlineNode* lastTopLevel_ = nullptr;
};

}  // namespace pdf
