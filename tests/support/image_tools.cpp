#include "support/image_tools.h"

#include <fstream>

#include "support/temp_folder.h"

namespace testing_support {

std::optional<std::string> CommandOutput(const std::string& command) {
  std::string output;
  if (RunCommand(command, &output) != 0) return std::nullopt;
  return output;
}

namespace {

// Skips blanks and comments between PNM header fields.
bool ReadHeaderNumber(std::istream& in, int& value) {
  for (;;) {
    const int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      in.get();
    } else {
      break;
    }
  }
  return static_cast<bool>(in >> value);
}

}  // namespace

std::optional<PnmImage> ReadPnm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  in >> magic;
  PnmImage image;
  int maxValue = 1;
  if (!ReadHeaderNumber(in, image.width) || !ReadHeaderNumber(in, image.height)) return {};
  if (magic != "P4" && !ReadHeaderNumber(in, maxValue)) return {};
  in.get();
  const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  image.pixels.reserve(count);
  if (magic == "P4") {
    const size_t stride = (static_cast<size_t>(image.width) + 7) / 8;
    std::vector<unsigned char> row(stride);
    for (int y = 0; y < image.height; ++y) {
      if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(stride)))
        return {};
      for (int x = 0; x < image.width; ++x) {
        const bool black = (row[static_cast<size_t>(x) >> 3] >> (7 - (x & 7))) & 1;
        image.pixels.push_back(black ? platform::kBlack : platform::kWhite);
      }
    }
  } else if (magic == "P5" || magic == "P6") {
    const int channels = magic == "P5" ? 1 : 3;
    std::vector<unsigned char> bytes(count * static_cast<size_t>(channels));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
      return {};
    for (size_t i = 0; i < count; ++i) {
      const unsigned char* p = bytes.data() + i * static_cast<size_t>(channels);
      image.pixels.push_back(channels == 1 ? platform::MakeColor(p[0], p[0], p[0])
                                           : platform::MakeColor(p[0], p[1], p[2]));
    }
  } else {
    return {};
  }
  return image;
}

platform::TBitmap RandomMonochrome(int width, int height, std::mt19937& random) {
  platform::TBitmap bitmap(width, height, platform::TPixelFormat::pf1bit);
  // Runs of random length, so every code length and mode gets used.
  std::uniform_int_distribution<int> runLength(1, 40);
  std::bernoulli_distribution longRun(0.05);
  for (int y = 0; y < height; ++y) {
    bool white = (random() & 1) != 0;
    for (int x = 0; x < width;) {
      int length = longRun(random) ? runLength(random) * 70 : runLength(random);
      for (; length > 0 && x < width; --length, ++x) bitmap.SetBit(x, y, white);
      white = !white;
    }
  }
  return bitmap;
}

platform::TBitmap UniformMonochrome(int width, int height, bool white) {
  platform::TBitmap bitmap(width, height, platform::TPixelFormat::pf1bit);
  bitmap.Fill(white ? platform::kWhite : platform::kBlack);
  return bitmap;
}

platform::TBitmap GradientBitmap(int width, int height, std::mt19937& random, int noise) {
  platform::TBitmap bitmap(width, height, platform::TPixelFormat::pf24bit);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x) {
      const int r = x * 255 / width, g = y * 255 / height, b = (x + y) * 127 / (width + height);
      row[x * 3] = clamp(r + (noise ? jitter(random) : 0));
      row[x * 3 + 1] = clamp(g + (noise ? jitter(random) : 0));
      row[x * 3 + 2] = clamp(b + (noise ? jitter(random) : 0));
    }
  }
  return bitmap;
}

std::vector<platform::TColor> PixelsOf(const platform::TBitmap& bitmap) {
  std::vector<platform::TColor> pixels;
  pixels.reserve(static_cast<size_t>(bitmap.Width()) * static_cast<size_t>(bitmap.Height()));
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) pixels.push_back(bitmap.Pixel(x, y));
  return pixels;
}

}  // namespace testing_support
