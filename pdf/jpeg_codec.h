#pragma once

#include <string>
#include <string_view>

#include "platform/bitmap.h"

namespace pdf {

// Baseline JPEG through libjpeg. Codec errors raise std::runtime_error with
// libjpeg's message (its own handler would end the process).

struct TJpegInfo {
  int width = 0;
  int height = 0;
  int components = 0;  // 1 grey, 3 colour, 4 CMYK
};

// Encodes a bitmap (monochrome ones as black and white) as a colour JPEG.
std::string EncodeJpeg(const platform::TBitmap& bitmap, int quality);

// Reads the frame header of JPEG data.
TJpegInfo ReadJpegInfo(std::string_view data);

// Decodes JPEG data into a 24-bit bitmap.
platform::TBitmap DecodeJpeg(std::string_view data);

}  // namespace pdf
