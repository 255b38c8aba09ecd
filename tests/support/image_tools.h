#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace testing_support {

// The standard output of a shell command, or nullopt when it exits non-zero.
std::optional<std::string> CommandOutput(const std::string& command);

// A decoded PBM (P4), PGM (P5) or PPM (P6) file, as colours.
struct PnmImage {
  int width = 0;
  int height = 0;
  std::vector<platform::TColor> pixels;  // top-down rows
};
std::optional<PnmImage> ReadPnm(const std::string& path);

// A 1-bit bitmap with random pixels, or all one colour.
platform::TBitmap RandomMonochrome(int width, int height, std::mt19937& random);
platform::TBitmap UniformMonochrome(int width, int height, bool white);
// A 24-bit bitmap of smooth gradients with some noise (JPEG friendly when
// `noise` is 0).
platform::TBitmap GradientBitmap(int width, int height, std::mt19937& random, int noise);

// Pixels of a bitmap as colours, top-down.
std::vector<platform::TColor> PixelsOf(const platform::TBitmap& bitmap);

}  // namespace testing_support
