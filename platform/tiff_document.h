#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bitmap.h"

struct tiff;  // libtiff's TIFF

namespace platform {

// How the pages of a TIFF document are stored: 24-bit colour or 8-bit grey,
// both Deflate compressed, or black and white, 1 bit a pixel in CCITT Group 4
// with 0 for white, as fax programs take it (the page thresholded at half
// brightness).
enum class TiffColors { Color = 0, Grey = 1, BlackAndWhite = 2 };

// Where a TIFF document's bytes go: appended in order, and now and then a
// few written again over earlier ones (the link from a page to the next).
class TiffSink {
 public:
  virtual ~TiffSink() = default;
  virtual void Append(std::string_view bytes) = 0;
  virtual void Overwrite(uint64_t offset, std::string_view bytes) = 0;
};

// A multi-page TIFF file written page by page through libtiff: each page's
// bytes leave for the sink once it is added, so memory holds one page
// whatever the length of the document. Each page carries its own size and
// resolution (dots per inch). Errors throw std::runtime_error with libtiff's
// message (or the sink's); the document is then unusable.
class TiffDocument {
 public:
  TiffDocument(TiffSink& sink, TiffColors colors);
  ~TiffDocument();
  TiffDocument(const TiffDocument&) = delete;
  TiffDocument& operator=(const TiffDocument&) = delete;

  // A 24-bit page; `pageNumber` counts from 1 and `pageCount` is the
  // document's, for the PageNumber tag.
  void AddPage(const TBitmap& page, int dpiX, int dpiY, int pageNumber, int pageCount);
  // Ends the file; a document needs at least one page.
  void Finish();

  class Stream;

 private:
  [[noreturn]] void Fail(const std::string& what);

  std::unique_ptr<Stream> stream_;
  TiffColors colors_;
  ::tiff* tiff_ = nullptr;
  int pages_ = 0;
};

}  // namespace platform
