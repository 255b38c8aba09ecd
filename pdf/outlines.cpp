#include "pdf/outlines.h"

#include "pdf/actions.h"
#include "pdf/annotations.h"
#include "pdf/document.h"
#include "pdf/navigation_messages.h"
#include "pdf/number_format.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_strings.h"

namespace pdf {

namespace {

TPDFOutlines& RequireOwner(TPDFOutlines* owner) {
  if (owner == nullptr) throw TPDFException(msg::kOutlineWithoutOwner);
  return *owner;
}

}  // namespace

TPDFOutlineNode::TPDFOutlineNode(TPDFOutlines* owner) : owner_(RequireOwner(owner)) {}

std::string TPDFOutlineNode::TitleText() const {
  TPDFDocument& document = owner_.Document();
  if (!unicodeTitle_.empty() || charset_ != 0) {
    const std::string hex =
        unicodeTitle_.empty() ? ToUnicodeHex(title_, charset_) : UnicodeToHex(unicodeTitle_);
    return "<" + EncryptHexString(document.fileKey(), hex, objectNumber_) + ">";
  }
  return "(" + EscapeString(EncryptString(document.fileKey(), title_, objectNumber_)) + ")";
}

void TPDFOutlineNode::Write(int64_t treeNumber) {
  TPDFDocument& document = owner_.Document();
  document.BeginObject(objectNumber_);
  document.WriteLine("/Title " + TitleText());
  // Colour and style entries are read by 1.4 viewers; the writer keeps
  // other versions' outlines plain.
  if (document.Version() == v14) {
    if (color_ != 0) document.WriteLine("/C " + ColorArray(color_));
    if (style_ != 0) {
      const int flags = ((style_ & fsItalic) ? 1 : 0) | ((style_ & fsBold) ? 2 : 0);
      document.WriteKeyInteger("/F ", flags);
    }
  }
  if (!children_.empty()) {
    const int64_t count = static_cast<int64_t>(children_.size());
    document.WriteKeyInteger("/Count ", expanded_ ? count : -count);
    for (TPDFOutlineNode* child : children_)
      if (child->prev_ == nullptr) document.WriteKeyReference("/First ", child->objectNumber_);
    for (TPDFOutlineNode* child : children_)
      if (child->next_ == nullptr) document.WriteKeyReference("/Last ", child->objectNumber_);
  }
  document.WriteKeyReference("/Parent ", parent_ ? parent_->objectNumber_ : treeNumber);
  if (next_ != nullptr) document.WriteKeyReference("/Next ", next_->objectNumber_);
  if (prev_ != nullptr) document.WriteKeyReference("/Prev ", prev_->objectNumber_);
  if (action_ != nullptr) document.WriteKeyReference("/A ", action_->ObjectNumber());
  document.EndDictionary();
  document.EndObject();
}

TPDFOutlineNode& TPDFOutlines::Link(TPDFOutlineNode* parent, TPDFAction* action) {
  // Registering can refuse (no document in progress); do it before linking.
  if (action != nullptr) document_.RegisterAction(*action);
  auto node = std::make_unique<TPDFOutlineNode>(this);
  node->parent_ = parent;
  node->action_ = action;
  // The sibling without a next one is always the last one added at that level.
  TPDFOutlineNode* last = lastTopLevel_;
  if (parent != nullptr) last = parent->children_.empty() ? nullptr : parent->children_.back();
  if (last != nullptr) {
    node->prev_ = last;
    last->next_ = node.get();
  }
  if (parent != nullptr)
    parent->children_.push_back(node.get());
  else
    lastTopLevel_ = node.get();
  nodes_.push_back(std::move(node));
  return *nodes_.back();
}

TPDFOutlineNode& TPDFOutlines::AddOutline(TPDFOutlineNode* parent, const std::string& title,
                                          uint8_t charset, TPDFAction* action) {
  TPDFOutlineNode& node = Link(parent, action);
  node.title_ = title;
  node.charset_ = charset;
  return node;
}

TPDFOutlineNode& TPDFOutlines::AddOutline(TPDFOutlineNode* parent, const std::u16string& title,
                                          TPDFAction* action) {
  TPDFOutlineNode& node = Link(parent, action);
  node.unicodeTitle_ = title;
  return node;
}

void TPDFOutlines::Clear() {
  // Children go before their parents; nothing else refers to them by then.
  for (auto it = nodes_.rbegin(); it != nodes_.rend(); ++it) it->reset();
  nodes_.clear();
  lastTopLevel_ = nullptr;
  objectNumber_ = 0;
}

void TPDFOutlines::Write() {
  if (nodes_.empty()) return;
  objectNumber_ = document_.AllocObjectNumber();
  for (auto& node : nodes_) node->objectNumber_ = document_.AllocObjectNumber();
  for (auto& node : nodes_) node->Write(objectNumber_);

  document_.BeginObject(objectNumber_);
  document_.WriteLine("/Type /Outlines");
  document_.WriteKeyInteger("/Count ", Count());
  for (auto& node : nodes_)
    if (node->parent_ == nullptr && node->prev_ == nullptr)
      document_.WriteKeyReference("/First ", node->objectNumber_);
  for (auto& node : nodes_)
    if (node->parent_ == nullptr && node->next_ == nullptr)
      document_.WriteKeyReference("/Last ", node->objectNumber_);
  document_.EndDictionary();
  document_.EndObject();
}

}  // namespace pdf
