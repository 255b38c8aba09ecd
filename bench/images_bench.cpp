// Image encoding throughput: CCITT group 4 (and the two group 3 modes) of an
// A4 page at 300 dpi, deflate of a 24-bit A4 page at 150 dpi, and JPEG at the
// default quality, each as TPDFImages::Add does it, against zlib and
// libjpeg-turbo alone on the same pixels. Prints MB/s of the bitmap's bytes.
#include <zlib.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "pdf/images.h"
#include "platform/bitmap.h"

namespace {

using platform::TBitmap;
using platform::TPixelFormat;

template <typename F>
double Seconds(int rounds, F work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}

// A text-like page: lines of short black runs on white, with margins.
TBitmap TextPage(int width, int height) {
  TBitmap page(width, height, TPixelFormat::pf1bit);
  page.Fill(platform::kWhite);
  std::mt19937 random(1);
  for (int line = 300; line + 40 < height - 300; line += 50)
    for (int y = line; y < line + 30; ++y)
      for (int x = 250; x < width - 250;) {
        const int run = 2 + static_cast<int>(random() % 9);
        if (random() % 3 == 0)
          for (int i = 0; i < run && x + i < width; ++i) page.SetBit(x + i, y, false);
        x += run + static_cast<int>(random() % 7);
      }
  return page;
}

// A photo-like page: gradients with noise.
TBitmap PhotoPage(int width, int height) {
  TBitmap page(width, height, TPixelFormat::pf24bit);
  std::mt19937 random(2);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = page.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>((x + y) / 12 + random() % 8);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 255 / height);
      row[x * 3 + 2] = static_cast<uint8_t>(x * 255 / width);
    }
  }
  return page;
}

std::string RgbOf(const TBitmap& bitmap) {
  std::string rgb;
  rgb.reserve(static_cast<size_t>(bitmap.Width()) * bitmap.Height() * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      rgb += static_cast<char>(row[x * 3]);
      rgb += static_cast<char>(row[x * 3 + 1]);
      rgb += static_cast<char>(row[x * 3 + 2]);
    }
  }
  return rgb;
}

size_t ZlibAlone(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<Bytef> out(size);
  compress2(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION);
  return size;
}

size_t LibjpegAlone(const std::string& rgb, int width, int height) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 80, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<char*>(rgb.data())) +
                   static_cast<size_t>(info.next_scanline) * width * 3;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return size;
}

size_t Encoded(const TBitmap& bitmap, pdf::ImageCompression compression) {
  pdf::TPDFImages images(nullptr);
  images.Add(&bitmap, compression, -1, false, -1);
  return images.Items(0).ImageData().size();
}

template <typename F>
void Report(const char* name, double bytes, int rounds, F encode) {
  size_t encoded = 0;
  const double seconds = Seconds(rounds, [&] { encoded = encode(); });
  std::printf("%-34s %8.1f MB/s  %7.2f ms  %9zu bytes\n", name, bytes / seconds / 1e6,
              seconds * 1e3, encoded);
}

}  // namespace

int main() {
  const TBitmap text = TextPage(2480, 3508);  // A4 at 300 dpi
  const double textBytes = static_cast<double>(text.Stride()) * text.Height();
  std::string packed;
  for (int y = 0; y < text.Height(); ++y)
    packed.append(reinterpret_cast<const char*>(text.Row(y)), text.Stride());
  std::printf("1-bit A4 page at 300 dpi, %.1f MB of pixels\n", textBytes / 1e6);
  Report("CCITT group 4 (TPDFImages::Add)", textBytes, 10,
         [&] { return Encoded(text, pdf::icCCITT4); });
  Report("CCITT group 3 2-D", textBytes, 10, [&] { return Encoded(text, pdf::icCCITT32); });
  Report("CCITT group 3 1-D", textBytes, 10, [&] { return Encoded(text, pdf::icCCITT31); });
  Report("zlib alone on the packed bits", textBytes, 10, [&] { return ZlibAlone(packed); });

  const TBitmap photo = PhotoPage(1240, 1754);  // A4 at 150 dpi
  const double photoBytes = static_cast<double>(photo.Stride()) * photo.Height();
  const std::string rgb = RgbOf(photo);
  std::printf("24-bit A4 page at 150 dpi, %.1f MB of pixels\n", photoBytes / 1e6);
  Report("deflate (TPDFImages::Add)", photoBytes, 5, [&] { return Encoded(photo, pdf::icFlate); });
  Report("zlib alone", photoBytes, 5, [&] { return ZlibAlone(rgb); });
  Report("JPEG quality 80 (TPDFImages::Add)", photoBytes, 5,
         [&] { return Encoded(photo, pdf::icJPEG); });
  Report("libjpeg-turbo alone", photoBytes, 5,
         [&] { return LibjpegAlone(rgb, photo.Width(), photo.Height()); });
  return 0;
}
