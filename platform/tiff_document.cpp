#include "platform/tiff_document.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace platform {

namespace {

// Deflate strips of about this many bytes before compression: few enough
// strips to cost nothing, small enough for readers that load a strip whole.
constexpr size_t kStripBytes = 256 * 1024;
// Bytes gathered before they go to the sink.
constexpr size_t kFlushBytes = 1 << 20;
// A fast level: pages are mostly flat areas, and at this level a colour
// page at 300 dpi is stored in less time than it takes to draw
// (bench/outputs_bench pictures).
constexpr int kDeflateLevel = 2;

uint8_t Luma(const uint8_t* rgb) {
  return static_cast<uint8_t>((rgb[0] * 77 + rgb[1] * 150 + rgb[2] * 29) >> 8);
}

}  // namespace

// libtiff's file: bytes since the last flush are held here and then handed to
// the sink. libtiff reads back only the directory of the page before, to link
// it to the next one, so that directory is kept when the rest has gone.
class TiffDocument::Stream {
 public:
  explicit Stream(TiffSink& sink) : sink_(sink) {}

  uint64_t Size() const { return flushed_ + pending_.size(); }

  int64_t Write(const void* data, int64_t length) {
    try {
      Put(position_, {static_cast<const char*>(data), static_cast<size_t>(length)});
      position_ += static_cast<uint64_t>(length);
      if (!inDirectory_ && pending_.size() >= kFlushBytes) Flush();
      return length;
    } catch (const std::exception& error) {
      error_ = error.what();
      return -1;
    }
  }

  int64_t Read(void* data, int64_t length) {
    const auto size = static_cast<uint64_t>(length);
    char* out = static_cast<char*>(data);
    if (position_ >= flushed_ && position_ + size <= Size()) {
      std::memcpy(out, pending_.data() + (position_ - flushed_), size);
    } else if (position_ >= keptFrom_ && position_ + size <= keptFrom_ + kept_.size()) {
      std::memcpy(out, kept_.data() + (position_ - keptFrom_), size);
    } else {
      return -1;
    }
    position_ += size;
    return length;
  }

  uint64_t Seek(uint64_t offset, int whence) {
    const uint64_t base = whence == SEEK_CUR ? position_ : whence == SEEK_END ? Size() : 0;
    position_ = base + offset;
    return position_;
  }

  // Around the writing of a page's directory: it is kept for the next page's link.
  void BeginDirectory() {
    inDirectory_ = true;
    directoryStart_ = Size();
  }
  void EndDirectory() {
    inDirectory_ = false;
    keptFrom_ = directoryStart_;
    kept_.assign(pending_, static_cast<size_t>(directoryStart_ - flushed_));
    Flush();
  }

  void Flush() {
    if (pending_.empty()) return;
    sink_.Append(pending_);
    flushed_ += pending_.size();
    pending_.clear();
  }

  // The first error of libtiff, unless the sink failed first.
  void KeepError(const char* text) {
    if (error_.empty()) error_ = text;
  }
  const std::string& Reason() const { return error_; }

 private:
  // Bytes at `at`: over bytes gone to the sink, into the pending ones, or
  // past the end (libtiff aligns directories, leaving a gap of a byte).
  void Put(uint64_t at, std::string_view bytes) {
    if (at < flushed_) {
      const auto before = std::min<uint64_t>(bytes.size(), flushed_ - at);
      sink_.Overwrite(at, bytes.substr(0, before));
      if (at >= keptFrom_ && at + before <= keptFrom_ + kept_.size())
        kept_.replace(at - keptFrom_, before, bytes.substr(0, before));
      bytes.remove_prefix(before);
      at += before;
      if (bytes.empty()) return;
    }
    const size_t offset = static_cast<size_t>(at - flushed_);
    if (offset > pending_.size()) pending_.resize(offset, '\0');
    const size_t over = std::min(bytes.size(), pending_.size() - offset);
    pending_.replace(offset, over, bytes.substr(0, over));
    pending_.append(bytes.substr(over));
  }

  TiffSink& sink_;
  std::string pending_;
  uint64_t flushed_ = 0;
  uint64_t position_ = 0;
  bool inDirectory_ = false;
  uint64_t directoryStart_ = 0;
  std::string kept_;
  uint64_t keptFrom_ = 0;
  std::string error_;
};

namespace {

using Stream = TiffDocument::Stream;

Stream& Of(thandle_t handle) { return *static_cast<Stream*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
  return Of(handle).Read(data, size);
}
tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t size) {
  return Of(handle).Write(data, size);
}
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  return Of(handle).Seek(offset, whence);
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return Of(handle).Size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list arguments) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, arguments);
  Of(user).KeepError(text);
  return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The tags of one page.
void Describe(TIFF* tiff, TiffColors colors, int width, int height, int dpiX, int dpiY,
              int pageNumber, int pageCount) {
  TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(dpiX));
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(dpiY));
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(std::min(pageNumber - 1, 0xFFFF)),
               static_cast<uint16_t>(std::min(pageCount, 0xFFFF)));
  const int samples = colors == TiffColors::Color ? 3 : 1;
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  if (colors == TiffColors::BlackAndWhite) {
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    // One strip: what fax programs expect of a Group 4 page.
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    return;
  }
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
               colors == TiffColors::Color ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, kDeflateLevel);
  const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(samples);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
               static_cast<uint32_t>(std::clamp<size_t>(kStripBytes / rowBytes, 1, height)));
}

// Row `y` of the page as the document stores it.
void StoredRow(const TBitmap& page, int y, TiffColors colors, std::vector<uint8_t>& row) {
  const uint8_t* rgb = page.Row(y);
  const int width = page.Width();
  switch (colors) {
    case TiffColors::Color:
      std::copy(rgb, rgb + 3 * static_cast<size_t>(width), row.begin());
      break;
    case TiffColors::Grey:
      for (int x = 0; x < width; ++x) row[static_cast<size_t>(x)] = Luma(rgb + 3 * x);
      break;
    case TiffColors::BlackAndWhite:
      std::fill(row.begin(), row.end(), 0);
      for (int x = 0; x < width; ++x)
        if (Luma(rgb + 3 * x) < 128) row[static_cast<size_t>(x >> 3)] |= 0x80 >> (x & 7);
      break;
  }
}

size_t StoredRowBytes(int width, TiffColors colors) {
  const auto pixels = static_cast<size_t>(width);
  switch (colors) {
    case TiffColors::Color:
      return 3 * pixels;
    case TiffColors::Grey:
      return pixels;
    case TiffColors::BlackAndWhite:
      break;
  }
  return (pixels + 7) / 8;
}

}  // namespace

TiffDocument::TiffDocument(TiffSink& sink, TiffColors colors)
    : stream_(std::make_unique<Stream>(sink)), colors_(colors) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, stream_.get());
  TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, nullptr);
  // "m": no memory mapping, the file is written through the procedures.
  tiff_ = TIFFClientOpenExt("TIFF document", "wm", stream_.get(), ReadProc, WriteProc, SeekProc,
                            CloseProc, SizeProc, MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  if (tiff_ == nullptr) Fail("Cannot start the TIFF document");
}

TiffDocument::~TiffDocument() {
  // An unfinished document is dropped without writing more.
  if (tiff_ != nullptr) TIFFCleanup(tiff_);
}

void TiffDocument::Fail(const std::string& what) {
  const std::string& reason = stream_->Reason();
  throw std::runtime_error(what + (reason.empty() ? "" : ": " + reason));
}

void TiffDocument::AddPage(const TBitmap& page, int dpiX, int dpiY, int pageNumber, int pageCount) {
  if (tiff_ == nullptr) throw std::runtime_error("The TIFF document is finished");
  if (page.Format() != TPixelFormat::pf24bit || page.Empty())
    throw std::runtime_error("TIFF pages are made of 24-bit bitmaps with pixels");
  if (dpiX < 1 || dpiY < 1) throw std::runtime_error("a TIFF page needs a positive density");
  Describe(tiff_, colors_, page.Width(), page.Height(), dpiX, dpiY, pageNumber, pageCount);
  // Rows are converted into a buffer of our own, which libtiff's codecs may
  // also change.
  std::vector<uint8_t> row(StoredRowBytes(page.Width(), colors_));
  for (int y = 0; y < page.Height(); ++y) {
    StoredRow(page, y, colors_, row);
    if (TIFFWriteScanline(tiff_, row.data(), static_cast<uint32_t>(y), 0) < 0)
      Fail("Cannot write a TIFF page");
  }
  if (!TIFFFlushData(tiff_)) Fail("Cannot write a TIFF page");
  stream_->BeginDirectory();
  if (!TIFFWriteDirectory(tiff_)) Fail("Cannot write a TIFF page");
  stream_->EndDirectory();
  ++pages_;
}

void TiffDocument::Finish() {
  if (tiff_ == nullptr) return;
  if (pages_ == 0) throw std::runtime_error("A TIFF document needs at least one page");
  TIFF* tiff = tiff_;
  tiff_ = nullptr;
  TIFFClose(tiff);
  if (!stream_->Reason().empty()) Fail("Cannot end the TIFF document");
  stream_->Flush();
}

}  // namespace platform
