#include "emf2pdf/picture_budget.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace emf2pdf {

namespace {

// A monochrome pixel is one bit where a colour pixel takes 24.
constexpr int64_t kMonochromePerColourPixel = 24;

int64_t Cost(int64_t width, int64_t height, bool monochrome) {
  const int64_t pixels = width * height;
  return monochrome ? (pixels + kMonochromePerColourPixel - 1) / kMonochromePerColourPixel : pixels;
}

}  // namespace

std::optional<PictureBudget::Size> PictureBudget::Take(int width, int height, bool monochrome) {
  if (width <= 0 || height <= 0) return Size{width, height};
  const int64_t cost = Cost(width, height, monochrome);
  if (cost <= left_) {
    left_ -= cost;
    return Size{width, height};
  }
  // Half of what is left, so that the pictures after this one still have
  // room; both sides by the same factor, rounded down, and a side that would
  // vanish kept at one pixel.
  const int64_t share = left_ / 2;
  const int64_t allowed = monochrome ? share * kMonochromePerColourPixel : share;  // in pixels
  const double scale = std::sqrt(static_cast<double>(allowed) / (double{1} * width * height));
  int64_t w = std::max<int64_t>(1, static_cast<int64_t>(width * scale));
  int64_t h = std::max<int64_t>(1, static_cast<int64_t>(height * scale));
  if (w * h > allowed) (w == 1 ? h : w) = allowed;
  const Size size{static_cast<int>(w), static_cast<int>(h)};
  const long long millions = static_cast<long long>(total_ / 1'000'000);
  if (share < 1) {
    std::fprintf(stderr,
                 "tallowcraft: %s: a picture of %d x %d pixels is left out: the pictures of one "
                 "page may hold %lld million colour pixels together\n",
                 name_.c_str(), width, height, millions);
    ++refused_;
    return std::nullopt;
  }
  std::fprintf(stderr,
               "tallowcraft: %s: a picture of %d x %d pixels is made at %d x %d: the pictures of "
               "one page may hold %lld million colour pixels together\n",
               name_.c_str(), width, height, size.width, size.height, millions);
  left_ -= Cost(w, h, monochrome);
  return size;
}

}  // namespace emf2pdf
