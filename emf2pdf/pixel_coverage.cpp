#include "emf2pdf/pixel_coverage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace emf2pdf {

namespace {

struct Pixel {
  long long x = 0, y = 0;
};

// Sorted by row and column, each pixel once: segments that cross or meet,
// and rectangles of a region that touch, light a pixel once.
std::vector<PixelRun> Merged(std::vector<PixelRun> runs) {
  std::sort(runs.begin(), runs.end(), [](const PixelRun& a, const PixelRun& b) {
    return a.row != b.row ? a.row < b.row : a.left < b.left;
  });
  std::vector<PixelRun> merged;
  for (const PixelRun& run : runs) {
    if (!merged.empty() && merged.back().row == run.row && merged.back().right >= run.left)
      merged.back().right = std::max(merged.back().right, run.right);
    else
      merged.push_back(run);
  }
  return merged;
}

bool RectanglesOnly(const ClipState& clip) { return clip.whole || clip.paths.empty(); }

bool InsideClip(const ClipState& clip, double x, double y) {
  if (clip.whole || !clip.hasRegion) return true;
  for (const ClipRect& r : clip.region)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

// Points further out are left to the rasterizer, and so are paths whose
// segments would take more steps than this: a hostile path of many long
// segments must not take minutes.
constexpr long long kReach = 1 << 20;
constexpr long long kMostSteps = 1 << 24;

}  // namespace

std::optional<std::vector<PixelRun>> ThinLinePixels(const DevicePath& path, const ClipState& clip,
                                                    double scale, const RasterArea& area) {
  if (!RectanglesOnly(clip)) return std::nullopt;
  std::vector<std::vector<Pixel>> figures;
  for (const DevicePath::Element& e : path.Elements()) {
    if (e.kind != DevicePath::Kind::kMove && e.kind != DevicePath::Kind::kLine &&
        e.kind != DevicePath::Kind::kClose)
      return std::nullopt;
    if (e.kind == DevicePath::Kind::kClose) {
      if (!figures.empty() && !figures.back().empty())
        figures.back().push_back(figures.back().front());
      continue;
    }
    const double x = std::floor(e.v[0] * scale + 0.5), y = std::floor(e.v[1] * scale + 0.5);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kReach || std::fabs(y) > kReach)
      return std::nullopt;
    if (e.kind == DevicePath::Kind::kMove || figures.empty()) figures.emplace_back();
    figures.back().push_back({static_cast<long long>(x), static_cast<long long>(y)});
  }
  long long steps = 0;
  for (const std::vector<Pixel>& figure : figures)
    for (size_t i = 1; i < figure.size(); ++i)
      steps += std::max(std::llabs(figure[i].x - figure[i - 1].x),
                        std::llabs(figure[i].y - figure[i - 1].y));
  if (steps > kMostSteps) return std::nullopt;
  std::vector<PixelRun> lit;
  auto mark = [&](long long x, long long y) {
    const long long column = x - area.left, row = y - area.top;
    if (column < 0 || row < 0 || column >= area.width || row >= area.height) return;
    if (!InsideClip(clip, (x + 0.5) / scale, (y + 0.5) / scale)) return;
    lit.push_back({static_cast<int>(row), static_cast<int>(column), static_cast<int>(column) + 1});
  };
  for (const std::vector<Pixel>& figure : figures)
    for (size_t i = 1; i < figure.size(); ++i) {
      // Bresenham along the longer axis, the last pixel left out.
      long long x = figure[i - 1].x, y = figure[i - 1].y;
      const long long dx = std::llabs(figure[i].x - x), dy = -std::llabs(figure[i].y - y);
      const long long sx = x < figure[i].x ? 1 : -1, sy = y < figure[i].y ? 1 : -1;
      long long error = dx + dy;
      while (x != figure[i].x || y != figure[i].y) {
        mark(x, y);
        const long long twice = 2 * error;
        if (twice >= dy) {
          error += dy;
          x += sx;
        }
        if (twice <= dx) {
          error += dx;
          y += sy;
        }
      }
    }
  return Merged(std::move(lit));
}

namespace {

struct Box {
  double left, top, right, bottom;
};

// The path as one axis-aligned rectangle: a rectangle element, or a figure
// of four corners whose sides follow the axes.
std::optional<Box> AxisAlignedBox(const DevicePath& path) {
  const auto& elements = path.Elements();
  if (elements.size() == 1 && elements[0].kind == DevicePath::Kind::kRectangle) {
    const auto& v = elements[0].v;
    return Box{std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]),
               std::max(v[1], v[3])};
  }
  if (elements.size() != 5 || elements[0].kind != DevicePath::Kind::kMove ||
      elements[4].kind != DevicePath::Kind::kClose)
    return std::nullopt;
  double x[4], y[4];
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && elements[i].kind != DevicePath::Kind::kLine) return std::nullopt;
    x[i] = elements[i].v[0];
    y[i] = elements[i].v[1];
  }
  const bool across = y[0] == y[1] && x[1] == x[2] && y[2] == y[3] && x[3] == x[0];
  const bool down = x[0] == x[1] && y[1] == y[2] && x[2] == x[3] && y[3] == y[0];
  if (!across && !down) return std::nullopt;
  return Box{std::min(x[0], x[2]), std::min(y[0], y[2]), std::max(x[0], x[2]),
             std::max(y[0], y[2])};
}

// Raster columns (or rows) [first, last] whose centres lie in [from, to)
// of the page, within [0, count).
std::pair<long long, long long> CentresWithin(double from, double to, double scale, int offset,
                                              int count) {
  const double first = std::ceil(from * scale - 0.5) - offset;
  const double last = std::ceil(to * scale - 0.5) - 1 - offset;
  return {static_cast<long long>(std::clamp(first, 0.0, static_cast<double>(count))),
          static_cast<long long>(std::clamp(last, -1.0, static_cast<double>(count) - 1))};
}

}  // namespace

std::optional<std::vector<PixelRun>> RectanglePixels(const DevicePath& path, const ClipState& clip,
                                                     double scale, const RasterArea& area) {
  const std::optional<Box> box = AxisAlignedBox(path);
  if (!box || !RectanglesOnly(clip)) return std::nullopt;
  if (!std::isfinite(box->left) || !std::isfinite(box->top) || !std::isfinite(box->right) ||
      !std::isfinite(box->bottom))
    return std::nullopt;
  std::vector<Box> within;
  if (clip.whole || !clip.hasRegion) {
    within.push_back(*box);
  } else {
    for (const ClipRect& r : clip.region) {
      const Box meet{std::max(box->left, r.left), std::max(box->top, r.top),
                     std::min(box->right, r.right), std::min(box->bottom, r.bottom)};
      if (meet.left < meet.right && meet.top < meet.bottom) within.push_back(meet);
    }
  }
  std::vector<PixelRun> runs;
  for (const Box& b : within) {
    const auto [left, right] = CentresWithin(b.left, b.right, scale, area.left, area.width);
    const auto [top, bottom] = CentresWithin(b.top, b.bottom, scale, area.top, area.height);
    if (left > right) continue;
    for (long long row = top; row <= bottom; ++row)
      runs.push_back({static_cast<int>(row), static_cast<int>(left), static_cast<int>(right + 1)});
  }
  return Merged(std::move(runs));
}

}  // namespace emf2pdf
