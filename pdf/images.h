#pragma once

#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "pdf/image_repeats.h"
#include "platform/bitmap.h"

namespace platform {
class WorkPool;
}

namespace pdf {

class TPDFDocument;

enum ImageCompression : uint8_t {
  icFlate = 0,
  icJPEG = 1,
  icCCITT31 = 2,
  icCCITT32 = 3,
  icCCITT4 = 4
};

// A JPEG image as the graphics library holds it: the bytes of a JPEG file.
struct TPDFJpegGraphic {
  std::string data;
};

// What can become an image: nothing (refused), a bitmap or a JPEG image.
// Borrowed for the duration of the call.
using TPDFGraphic = std::variant<std::monostate, const platform::TBitmap*, const TPDFJpegGraphic*>;

namespace msg {
inline constexpr const char* kMaskCannotHaveMask = "Mask Image cannot have mask";
inline constexpr const char* kUnknownMask = "Unknow Mask Image. Out of bound.";
inline constexpr const char* kMaskNotMarked = "Mask Image not marked as \"Mask Image\".";
inline constexpr const char* kMaskOnlyForBitmap = "Create Mask available only for bitmap images";
inline constexpr const char* kNotValidImage = "Not valid image.";
inline constexpr const char* kCcittOnlyForBitmap = "CCITT compression work only for bitmap";
inline constexpr const char* kCcittNotMonochrome = "Cannot compress not monochrome image via CCITT";
}  // namespace msg

class TPDFImages;

// One image XObject, encoded once when it is added; only its dictionary is
// made when it is written.
class TPDFImage {
 public:
  TPDFImage(TPDFDocument* owner, const TPDFGraphic& graphic, ImageCompression compression,
            int64_t transparentColor, bool isMask, int maskIndex, TPDFImages& siblings);

  // Writes the XObject (the mask first) unless it is written already.
  void WriteImage(TPDFDocument& document);
  // Gives the image a soft mask (PDF 1.4): one opacity byte per pixel, rows
  // top-down; refused when the size does not match.
  void SetSoftMask(const std::string& opacity);

  ImageCompression Compression() const { return compression_; }
  const std::string& ResourceName() const { return resourceName_; }
  int64_t ObjectNumber() const { return objectNumber_; }
  int Height() const { return height_; }
  int Width() const { return width_; }
  // The encoded stream; waits for a deflate still running on the pool.
  const std::string& ImageData() const;
  int BitsPerComponent() const { return bitsPerComponent_; }
  bool IsGray() const { return isGray_; }
  // An indexed image's colours, red, green and blue each; empty otherwise.
  const std::string& Palette() const { return palette_; }
  bool IsWritten() const { return isWritten_; }
  bool IsMask() const { return isMask_; }
  int MaskIndex() const { return maskIndex_; }
  bool BlackIs1() const { return blackIs1_; }
  // Compressed; empty without one, and again once written.
  const std::string& SoftMask() const { return softMask_; }
  // What an equal image has alike: the samples of an image to be deflated
  // (equal samples deflate to equal bytes), else its encoded stream.
  const std::string& RepeatKey() const { return samples_.empty() ? ImageData() : samples_; }

 private:
  friend class TPDFImages;

  void CheckMask(const TPDFImages& siblings) const;
  void EncodeMask(const platform::TBitmap& bitmap, int64_t transparentColor);
  void EncodeJpeg(const TPDFGraphic& graphic);
  void EncodeFlate(const TPDFGraphic& graphic);
  // Takes a 24-bit bitmap's samples as palette indices when it has few
  // enough colours; false, and nothing taken, otherwise.
  bool IndexColors(const platform::TBitmap& bitmap);
  void EncodeCcitt(const TPDFGraphic& graphic);
  // Deflates the samples on the pool; returns how many bytes it took.
  size_t StartEncoding(platform::WorkPool& pool);

  TPDFDocument* owner_;   // not owned; null outside a document
  TPDFImages* siblings_;  // the collection that owns this image
  ImageCompression compression_ = icFlate;
  std::string resourceName_;
  int64_t objectNumber_ = -1;
  int height_ = 0;
  int width_ = 0;
  mutable std::string imageData_;
  // A deflated image's samples until the pool takes them, then its stream
  // to come: pictures are deflated while the interpreter goes on.
  std::string samples_;
  mutable std::shared_future<std::string> encoding_;
  int bitsPerComponent_ = 8;
  bool isGray_ = false;
  std::string palette_;
  bool isWritten_ = false;
  bool isMask_ = false;
  int maskIndex_ = -1;
  bool blackIs1_ = false;
  std::string softMask_;  // compressed
};

// The document's images, in the order they were added (Im0, Im1, ...).
class TPDFImages {
 public:
  explicit TPDFImages(TPDFDocument* owner) : owner_(owner) {}
  TPDFImages(const TPDFImages&) = delete;
  TPDFImages& operator=(const TPDFImages&) = delete;

  // Encodes the graphic and appends it; returns its index, or the index of
  // an earlier equal image (soft mask included). Nothing is added when
  // encoding fails.
  int Add(const TPDFGraphic& graphic, ImageCompression compression, int64_t transparentColor,
          bool isMask, int maskIndex, const std::string& softMask = std::string());
  int Count() const { return static_cast<int>(items_.size()); }
  TPDFImage& Items(int index) { return *items_.at(static_cast<size_t>(index)); }
  const TPDFImage& Items(int index) const { return *items_.at(static_cast<size_t>(index)); }
  // Writes every image not written yet, in list order.
  void WriteAll(TPDFDocument& document);
  void Clear() {
    items_.clear();
    repeats_.Clear();
    encoding_.clear();
    encodingBytes_ = 0;
  }

 private:
  // Holds the samples being deflated to a few MiB per thread: past that,
  // the oldest image's stream is waited for.
  void BoundEncoding(size_t added, int threads);
  static constexpr size_t kEncodingPerThread = 8 << 20;

  TPDFDocument* owner_;
  std::deque<std::pair<int, size_t>> encoding_;  // index, samples' bytes
  size_t encodingBytes_ = 0;
  std::vector<std::unique_ptr<TPDFImage>> items_;
  TImageRepeats repeats_;
};

}  // namespace pdf
