#include "support/gdi_fidelity.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "support/image_tools.h"
#include "support/temp_folder.h"

namespace gdi_test {

namespace {

constexpr double kInk = 200;
constexpr double kBadDifference = 64;
constexpr int kBlur = 2;
constexpr int kNear = 2;

double Luma(double r, double g, double b) { return r * 0.299 + g * 0.587 + b * 0.114; }

std::vector<double> BoxBlur(const GreyImage& image) {
  std::vector<double> out(image.grey.size());
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      double sum = 0;
      for (int dy = -kBlur; dy <= kBlur; ++dy)
        for (int dx = -kBlur; dx <= kBlur; ++dx) {
          const int sx = std::clamp(x + dx, 0, image.width - 1);
          const int sy = std::clamp(y + dy, 0, image.height - 1);
          sum += image.grey[static_cast<size_t>(sy) * image.width + sx];
        }
      out[static_cast<size_t>(y) * image.width + x] = sum / ((2 * kBlur + 1) * (2 * kBlur + 1));
    }
  return out;
}

std::vector<bool> Ink(const GreyImage& image) {
  std::vector<bool> ink(image.grey.size());
  for (size_t i = 0; i < ink.size(); ++i) ink[i] = image.grey[i] < kInk;
  return ink;
}

std::vector<bool> Dilate(const std::vector<bool>& mask, int width, int height) {
  std::vector<bool> out(mask.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (!mask[static_cast<size_t>(y) * width + x]) continue;
      for (int dy = -kNear; dy <= kNear; ++dy)
        for (int dx = -kNear; dx <= kNear; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (dx * dx + dy * dy > kNear * kNear || nx < 0 || ny < 0 || nx >= width || ny >= height)
            continue;
          out[static_cast<size_t>(ny) * width + nx] = true;
        }
    }
  return out;
}

double Share(const std::vector<bool>& of, const std::vector<bool>& near) {
  size_t total = 0, hit = 0;
  for (size_t i = 0; i < of.size(); ++i)
    if (of[i]) {
      ++total;
      if (near[i]) ++hit;
    }
  return total == 0 ? 1.0 : static_cast<double>(hit) / total;
}

}  // namespace

std::optional<GreyImage> ReadPngGrey(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  GreyImage out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.grey.resize(static_cast<size_t>(out.width) * out.height);
  for (size_t i = 0; i < out.grey.size(); ++i)
    out.grey[i] = Luma(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  return out;
}

std::optional<GreyImage> RenderPicture(const std::string& pdf, int width, int height) {
  // The picture area of the A4 page inside 5 mm margins, in points.
  constexpr double kMargin = 5 * 72 / 25.4, kAreaW = 595 - 2 * kMargin, kAreaH = 842 - 2 * kMargin;
  const double dpi = std::ceil(72 * std::max(3.0 * width / kAreaW, 3.0 * height / kAreaH));
  const double scale = dpi / 72;
  const int x0 = static_cast<int>(std::lround(kMargin * scale));
  const int w = static_cast<int>(std::lround(kAreaW * scale));
  const int h = static_cast<int>(std::lround(kAreaH * scale));
  testing_support::TempFolder folder;
  const std::string stem = folder.file("page");
  const std::string command = "pdftoppm -f 1 -l 1 -singlefile -r " + std::to_string(int(dpi)) +
                              " -x " + std::to_string(x0) + " -y " + std::to_string(x0) + " -W " +
                              std::to_string(w) + " -H " + std::to_string(h) + " '" + pdf + "' '" +
                              stem + "'";
  if (!testing_support::CommandOutput(command)) return std::nullopt;
  const auto rendered = testing_support::ReadPnm(stem + ".ppm");
  if (!rendered) return std::nullopt;
  GreyImage out;
  out.width = width;
  out.height = height;
  out.grey.assign(static_cast<size_t>(width) * height, 0);
  std::vector<int> counts(out.grey.size(), 0);
  for (int y = 0; y < rendered->height; ++y)
    for (int x = 0; x < rendered->width; ++x) {
      const int tx = std::min(width - 1, x * width / rendered->width);
      const int ty = std::min(height - 1, y * height / rendered->height);
      const auto& p = rendered->pixels[static_cast<size_t>(y) * rendered->width + x];
      const size_t i = static_cast<size_t>(ty) * width + tx;
      out.grey[i] += Luma(platform::ColorRed(p), platform::ColorGreen(p), platform::ColorBlue(p));
      ++counts[i];
    }
  for (size_t i = 0; i < out.grey.size(); ++i)
    out.grey[i] = counts[i] ? out.grey[i] / counts[i] : 255;
  return out;
}

Fidelity Score(const GreyImage& reference, const GreyImage& candidate) {
  Fidelity f;
  if (reference.width != candidate.width || reference.height != candidate.height) return f;
  const auto a = BoxBlur(reference), b = BoxBlur(candidate);
  size_t bad = 0;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::fabs(a[i] - b[i]) > kBadDifference) ++bad;
  f.bad = a.empty() ? 0 : static_cast<double>(bad) / a.size();
  const auto refInk = Ink(reference), ourInk = Ink(candidate);
  f.recall = Share(refInk, Dilate(ourInk, candidate.width, candidate.height));
  f.precision = Share(ourInk, Dilate(refInk, reference.width, reference.height));
  return f;
}

}  // namespace gdi_test
