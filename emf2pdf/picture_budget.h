#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace emf2pdf {

// The colour pixels the pictures of one page may hold together. A picture is made
// at its own size, combined through its raster operation and compressed,
// and the page keeps its compressed images until it is written; a page that
// drew six pictures of 134 million pixels took gigabytes. Pictures that do
// not fit in what is left are scaled down to half of it (so the pictures
// after them still have room), with a message.
class PictureBudget {
 public:
  // 48 million colour pixels: a whole A4 page at 600 dpi is 35 million.
  static constexpr int64_t kPagePixels = 48'000'000;

  struct Size {
    int width = 0;
    int height = 0;
  };

  // `name` appears in messages (the page file).
  explicit PictureBudget(std::string name, int64_t pixels = kPagePixels)
      : name_(std::move(name)), total_(pixels), left_(pixels) {}

  // The size to make a width x height picture at, taken from the budget:
  // its own, or scaled down to half of what is left keeping its
  // proportions; nullopt (the picture is left out, with a message) when that
  // is not even one pixel wide or high.
  // A monochrome pixel costs 1/24 of a colour one, as it takes one bit.
  std::optional<Size> Take(int width, int height, bool monochrome = false);

  int64_t Left() const { return left_; }
  // Pictures left out so far.
  int Refused() const { return refused_; }

 private:
  std::string name_;
  int64_t total_;
  int64_t left_;
  int refused_ = 0;
};

}  // namespace emf2pdf
