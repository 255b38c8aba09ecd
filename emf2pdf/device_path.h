#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace emf2pdf {

// A path in device space (page pixels, y downwards), built by the
// interpreter and handed to the drawing device as a value. Shapes the page
// draws with its own geometry (rectangles, ellipses, rounded rectangles and
// arcs) stay whole elements, so that they are drawn exactly as the page
// draws them.
class DevicePath {
 public:
  enum class Kind : uint8_t {
    kMove,       // x y
    kLine,       // x y
    kCurve,      // x1 y1 x2 y2 x3 y3
    kClose,      //
    kRectangle,  // two corners
    kEllipse,    // the box's corners
    kRoundRect,  // the box's corners, corner width and height
    kArc,        // the box's corners, start and end radial points
    kChord,      // an arc and a line back to where it began
    kPie,        // as kArc, with both radii
  };
  struct Element {
    Kind kind;
    double v[8];
  };

  void MoveTo(double x, double y) { elements_.push_back({Kind::kMove, {x, y}}); }
  void LineTo(double x, double y) { elements_.push_back({Kind::kLine, {x, y}}); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    elements_.push_back({Kind::kCurve, {x1, y1, x2, y2, x3, y3}});
  }
  void Close() { elements_.push_back({Kind::kClose, {}}); }
  void Rectangle(double x1, double y1, double x2, double y2) {
    elements_.push_back({Kind::kRectangle, {x1, y1, x2, y2}});
  }
  void Ellipse(double x1, double y1, double x2, double y2) {
    elements_.push_back({Kind::kEllipse, {x1, y1, x2, y2}});
  }
  void RoundRect(double x1, double y1, double x2, double y2, double w, double h) {
    elements_.push_back({Kind::kRoundRect, {x1, y1, x2, y2, w, h}});
  }
  void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
           bool closeToStart) {
    elements_.push_back(
        {closeToStart ? Kind::kChord : Kind::kArc, {x1, y1, x2, y2, x3, y3, x4, y4}});
  }
  void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    elements_.push_back({Kind::kPie, {x1, y1, x2, y2, x3, y3, x4, y4}});
  }

  void Append(const DevicePath& other) {
    elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
  }

  bool Empty() const { return elements_.empty(); }
  size_t Size() const { return elements_.size(); }
  const std::vector<Element>& Elements() const { return elements_; }
  void Clear() { elements_.clear(); }
  // Drops what was added after the first `size` elements.
  void Truncate(size_t size) {
    if (size < elements_.size()) elements_.resize(size);
  }

 private:
  std::vector<Element> elements_;
};

}  // namespace emf2pdf
