#include "emf2pdf/thin_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace emf2pdf {

namespace {

struct Pixel {
  long long x = 0, y = 0;
};

struct AreaPixel {
  int row = 0, column = 0;
  auto operator<=>(const AreaPixel&) const = default;
};

// Segments that cross or meet light a pixel once.
std::vector<PixelRun> RunsOf(std::vector<AreaPixel>& pixels) {
  std::sort(pixels.begin(), pixels.end());
  std::vector<PixelRun> runs;
  for (const AreaPixel& p : pixels) {
    if (!runs.empty() && runs.back().row == p.row && runs.back().right >= p.column) {
      runs.back().right = std::max(runs.back().right, p.column + 1);
      continue;
    }
    runs.push_back({p.row, p.column, p.column + 1});
  }
  return runs;
}

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
  if (!clip.whole && !clip.paths.empty()) return std::nullopt;
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
  std::vector<AreaPixel> lit;
  auto mark = [&](long long x, long long y) {
    const long long column = x - area.left, row = y - area.top;
    if (column < 0 || row < 0 || column >= area.width || row >= area.height) return;
    if (!InsideClip(clip, (x + 0.5) / scale, (y + 0.5) / scale)) return;
    lit.push_back({static_cast<int>(row), static_cast<int>(column)});
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
  return RunsOf(lit);
}

}  // namespace emf2pdf
