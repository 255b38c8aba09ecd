#include "pdf/jpeg_codec.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace pdf {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// We jump back to the calling frame and turn the message into an exception
// there; no C++ object lives between setjmp and the jump.
struct JumpingErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JumpOnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

void InstallErrorManager(JumpingErrorManager& manager) {
  jpeg_std_error(&manager.base);
  manager.base.error_exit = JumpOnError;
  manager.base.emit_message = IgnoreMessage;
  manager.message[0] = '\0';
}

struct EncodeJob {
  const platform::TBitmap* bitmap;
  int quality;
  unsigned char* rgbRow;  // width * 3 bytes, for monochrome rows
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
};

bool RunEncode(EncodeJob& job, JumpingErrorManager& errors) {
  jpeg_compress_struct info;
  info.err = &errors.base;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &job.output, &job.outputSize);
  const platform::TBitmap& bitmap = *job.bitmap;
  // 24-bit rows go in as they are stored, blue first; monochrome rows are
  // expanded to colours one at a time.
  const bool mono = bitmap.IsMonochrome();
  info.image_width = static_cast<JDIMENSION>(bitmap.Width());
  info.image_height = static_cast<JDIMENSION>(bitmap.Height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;  // the bitmap's own row order
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, job.quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    JSAMPROW rows[1] = {const_cast<JSAMPROW>(bitmap.Row(y))};
    if (mono) {
      for (int x = 0; x < bitmap.Width(); ++x) {
        const platform::TColor c = bitmap.Pixel(x, y);
        job.rgbRow[x * 3] = platform::ColorRed(c);
        job.rgbRow[x * 3 + 1] = platform::ColorGreen(c);
        job.rgbRow[x * 3 + 2] = platform::ColorBlue(c);
      }
      rows[0] = job.rgbRow;
    }
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

struct DecodeJob {
  const unsigned char* data;
  unsigned long size;
  bool headerOnly;
  TJpegInfo header;
  platform::TBitmap* bitmap = nullptr;  // sized by the caller after the header pass
  unsigned char* rgbRow = nullptr;
};

bool RunDecode(DecodeJob& job, JumpingErrorManager& errors) {
  jpeg_decompress_struct info;
  info.err = &errors.base;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, job.data, job.size);
  jpeg_read_header(&info, TRUE);
  job.header.width = static_cast<int>(std::min<JDIMENSION>(info.image_width, 0x7FFFFFFF));
  job.header.height = static_cast<int>(std::min<JDIMENSION>(info.image_height, 0x7FFFFFFF));
  job.header.components = info.num_components;
  if (!job.headerOnly) {
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    platform::TBitmap& bitmap = *job.bitmap;
    while (info.output_scanline < info.output_height &&
           static_cast<int>(info.output_scanline) < bitmap.Height()) {
      const int y = static_cast<int>(info.output_scanline);
      JSAMPROW rows[1] = {job.rgbRow};
      jpeg_read_scanlines(&info, rows, 1);
      std::copy(job.rgbRow, job.rgbRow + static_cast<size_t>(bitmap.Width()) * 3, bitmap.Row(y));
    }
    jpeg_abort_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
  return true;
}

DecodeJob MakeDecodeJob(std::string_view data, bool headerOnly) {
  if (data.empty()) throw std::runtime_error("Empty JPEG data");
  return DecodeJob{reinterpret_cast<const unsigned char*>(data.data()),
                   static_cast<unsigned long>(data.size()),
                   headerOnly,
                   {}};
}

}  // namespace

std::string EncodeJpeg(const platform::TBitmap& bitmap, int quality) {
  if (bitmap.Empty()) throw std::runtime_error("Cannot encode an empty bitmap as JPEG");
  std::vector<unsigned char> row(static_cast<size_t>(bitmap.Width()) * 3);
  EncodeJob job{&bitmap, std::clamp(quality, 1, 100), row.data()};
  JumpingErrorManager errors;
  InstallErrorManager(errors);
  const bool ok = RunEncode(job, errors);
  std::string result;
  if (ok) result.assign(reinterpret_cast<const char*>(job.output), job.outputSize);
  std::free(job.output);
  if (!ok) throw std::runtime_error(errors.message);
  return result;
}

TJpegInfo ReadJpegInfo(std::string_view data) {
  DecodeJob job = MakeDecodeJob(data, true);
  JumpingErrorManager errors;
  InstallErrorManager(errors);
  if (!RunDecode(job, errors)) throw std::runtime_error(errors.message);
  return job.header;
}

platform::TBitmap DecodeJpeg(std::string_view data) {
  const TJpegInfo header = ReadJpegInfo(data);
  platform::TBitmap bitmap(header.width, header.height, platform::TPixelFormat::pf24bit);
  std::vector<unsigned char> row(static_cast<size_t>(header.width) * 3);
  DecodeJob job = MakeDecodeJob(data, false);
  job.bitmap = &bitmap;
  job.rgbRow = row.data();
  JumpingErrorManager errors;
  InstallErrorManager(errors);
  if (!RunDecode(job, errors)) throw std::runtime_error(errors.message);
  return bitmap;
}

}  // namespace pdf
