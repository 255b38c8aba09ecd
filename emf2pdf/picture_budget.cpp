#include "emf2pdf/picture_budget.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace emf2pdf {

std::optional<PictureBudget::Size> PictureBudget::Take(int width, int height) {
  const int64_t pixels = int64_t{width} * height;
  if (width <= 0 || height <= 0) return Size{width, height};
  if (pixels <= left_) {
    left_ -= pixels;
    return Size{width, height};
  }
  // Half of what is left, so that the pictures after this one still have
  // room; both sides by the same factor, rounded down, and a side that would
  // vanish kept at one pixel.
  const int64_t share = left_ / 2;
  const double scale = std::sqrt(static_cast<double>(share) / static_cast<double>(pixels));
  int64_t w = std::max<int64_t>(1, static_cast<int64_t>(width * scale));
  int64_t h = std::max<int64_t>(1, static_cast<int64_t>(height * scale));
  if (w * h > share) (w == 1 ? h : w) = share;
  const Size size{static_cast<int>(w), static_cast<int>(h)};
  const long long millions = static_cast<long long>(total_ / 1'000'000);
  if (size.width < 1 || size.height < 1) {
    std::fprintf(stderr,
                 "tallowcraft: %s: a picture of %d x %d pixels is left out: the pictures of one "
                 "page may hold %lld million pixels together\n",
                 name_.c_str(), width, height, millions);
    return std::nullopt;
  }
  std::fprintf(stderr,
               "tallowcraft: %s: a picture of %d x %d pixels is made at %d x %d: the pictures of "
               "one page may hold %lld million pixels together\n",
               name_.c_str(), width, height, size.width, size.height, millions);
  left_ -= int64_t{size.width} * size.height;
  return size;
}

}  // namespace emf2pdf
