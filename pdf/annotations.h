#pragma once

#include <cstdint>
#include <string>

namespace pdf {

class TPDFAction;
class TPDFPage;

// What every annotation of a page has: its page and its object number,
// handed out when the annotation is made.
class TPDFCustomAnnotation {
 public:
  // Refuses a missing page ("Annotation must have TPDFPage as owner").
  explicit TPDFCustomAnnotation(TPDFPage* page);
  virtual ~TPDFCustomAnnotation() = default;
  TPDFCustomAnnotation(const TPDFCustomAnnotation&) = delete;
  TPDFCustomAnnotation& operator=(const TPDFCustomAnnotation&) = delete;

  TPDFPage& Page() { return page_; }
  int64_t ObjectNumber() const { return objectNumber_; }
  void SetObjectNumber(int64_t number) { objectNumber_ = number; }

  virtual void Write() = 0;

 protected:
  TPDFPage& page_;
  int64_t objectNumber_ = 0;
};

// A link: a rectangle of the page that performs an action.
class TPDFActionAnnotation : public TPDFCustomAnnotation {
 public:
  explicit TPDFActionAnnotation(TPDFPage* page);

  // Device units, either corner order; kept as whole points.
  void SetRect(double left, double top, double right, double bottom);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Right() const { return right_; }
  int Bottom() const { return bottom_; }

  const std::string& Border() const { return border_; }
  void SetBorder(const std::string& border) { border_ = border; }
  // Windows colour value: red in the low byte, then green, then blue.
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t color) { color_ = color; }
  uint8_t AnnotationFlags() const { return flags_; }
  void SetAnnotationFlags(uint8_t flags) { flags_ = flags & 0x7F; }

  TPDFAction* Action() const { return action_; }
  void SetAction(TPDFAction* action);  // registers it with the document

  void Write() override;

 private:
  int left_ = 0;
  int top_ = 0;
  int right_ = 0;
  int bottom_ = 0;
  std::string border_ = "[0 0 1]";
  uint32_t color_ = 0x00FFFF;
  uint8_t flags_ = 0;
  TPDFAction* action_ = nullptr;
};

// "[r g b ]" with each component as a fraction of 255, e.g. "[1 1 0 ]".
std::string ColorArray(uint32_t color);

}  // namespace pdf
