// Region algebra on rectangle sets: each horizontal band between two edges
// of either set is combined as intervals, then equal neighbouring bands are
// joined again.
#include "emf2pdf/clip_region.h"

#include <algorithm>

namespace emf2pdf {

namespace {

using Intervals = std::vector<std::pair<double, double>>;

Intervals BandOf(const RectSet& set, double top, double bottom) {
  Intervals out;
  for (const ClipRect& r : set)
    if (r.top <= top && r.bottom >= bottom) out.emplace_back(r.left, r.right);
  std::sort(out.begin(), out.end());
  Intervals merged;
  for (const auto& i : out) {
    if (!merged.empty() && i.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, i.second);
    else
      merged.push_back(i);
  }
  return merged;
}

bool Keep(bool inA, bool inB, RegionMode mode) {
  switch (mode) {
    case RegionMode::kAnd:
      return inA && inB;
    case RegionMode::kOr:
      return inA || inB;
    case RegionMode::kXor:
      return inA != inB;
    case RegionMode::kDiff:
      return inA && !inB;
    case RegionMode::kCopy:
      return inB;
  }
  return false;
}

bool Inside(const Intervals& set, double x) {
  for (const auto& i : set)
    if (i.first <= x && x < i.second) return true;
  return false;
}

Intervals CombineIntervals(const Intervals& a, const Intervals& b, RegionMode mode) {
  std::vector<double> xs;
  for (const auto& i : a) xs.insert(xs.end(), {i.first, i.second});
  for (const auto& i : b) xs.insert(xs.end(), {i.first, i.second});
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  Intervals out;
  for (size_t k = 0; k + 1 < xs.size(); ++k) {
    if (!Keep(Inside(a, xs[k]), Inside(b, xs[k]), mode)) continue;
    if (!out.empty() && out.back().second == xs[k])
      out.back().second = xs[k + 1];
    else
      out.emplace_back(xs[k], xs[k + 1]);
  }
  return out;
}

// Cut by one rectangle, piece by piece: linear where banding is quadratic.
RectSet CutByRect(const RectSet& a, const ClipRect& r, RegionMode mode) {
  RectSet out;
  for (const ClipRect& p : a) {
    const ClipRect i{std::max(p.left, r.left), std::max(p.top, r.top), std::min(p.right, r.right),
                     std::min(p.bottom, r.bottom)};
    const bool overlap = i.left < i.right && i.top < i.bottom;
    if (mode == RegionMode::kAnd) {
      if (overlap) out.push_back(i);
      continue;
    }
    if (!overlap) {
      out.push_back(p);
      continue;
    }
    // What is left of p around i: above, below, left, right.
    if (p.top < i.top) out.push_back({p.left, p.top, p.right, i.top});
    if (i.bottom < p.bottom) out.push_back({p.left, i.bottom, p.right, p.bottom});
    if (p.left < i.left) out.push_back({p.left, i.top, i.left, i.bottom});
    if (i.right < p.right) out.push_back({i.right, i.top, p.right, i.bottom});
  }
  return out;
}

// Sets beyond this are combined approximately (see Combine).
constexpr size_t kBandedLimit = 2000;

}  // namespace

RectSet Combine(const RectSet& a, const RectSet& b, RegionMode mode) {
  if (mode == RegionMode::kCopy) return b;
  if (b.size() == 1 && (mode == RegionMode::kAnd || mode == RegionMode::kDiff))
    return CutByRect(a, b[0], mode);
  if (a.size() + b.size() > kBandedLimit) {
    // Huge regions: a union is still drawn right from overlapping pieces;
    // an intersection or difference keeps the first region.
    if (mode == RegionMode::kOr || mode == RegionMode::kXor) {
      RectSet out = a;
      out.insert(out.end(), b.begin(), b.end());
      return out;
    }
    return a;
  }
  std::vector<double> ys;
  for (const RectSet* set : {&a, &b})
    for (const ClipRect& r : *set) ys.insert(ys.end(), {r.top, r.bottom});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  RectSet out;
  Intervals previous;
  size_t previousStart = 0;
  double previousBottom = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const double top = ys[k], bottom = ys[k + 1];
    const Intervals band = CombineIntervals(BandOf(a, top, bottom), BandOf(b, top, bottom), mode);
    if (!band.empty() && band == previous && previousBottom == top) {
      for (size_t i = previousStart; i < out.size(); ++i) out[i].bottom = bottom;
    } else {
      previousStart = out.size();
      for (const auto& i : band) out.push_back({i.first, top, i.second, bottom});
    }
    previous = band;
    previousBottom = bottom;
  }
  return out;
}

RectSet Normalized(const std::vector<ClipRect>& rects) {
  RectSet valid;
  for (ClipRect r : rects) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    if (r.left < r.right && r.top < r.bottom) valid.push_back(r);
  }
  // One rectangle needs no work; a huge list is kept as it came (drawn as a
  // union it clips the same) rather than banded at quadratic cost.
  if (valid.size() <= 1 || valid.size() > 2000) return valid;
  return Combine({}, valid, RegionMode::kOr);
}

}  // namespace emf2pdf
