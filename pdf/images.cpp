#include "pdf/images.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "pdf/ccitt_encoder.h"
#include "pdf/deflate.h"
#include "pdf/document.h"
#include "pdf/indexed_colors.h"
#include "pdf/jpeg_codec.h"
#include "pdf/number_format.h"
#include "pdf/object_encryption.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_strings.h"
#include "platform/work_pool.h"

namespace pdf {

namespace {

// Pictures larger than this are deflated at once from the bitmap's own rows:
// a copy of their samples for the pool would double the peak of a job
// whose pages hold huge pictures.
constexpr size_t kLargestDeferred = 16 << 20;

using platform::TBitmap;
using platform::TColor;

// Pictures of few colours (diagrams, composited raster operations) are
// written as indices into a palette: a quarter or less of the samples. A
// palette must pay for itself, so larger ones only for larger pictures.
constexpr int kMostIndexedColors = 256;
constexpr int kPixelsPerIndexedColor = 64;

const TBitmap* BitmapOf(const TPDFGraphic& graphic) {
  const auto* bitmap = std::get_if<const TBitmap*>(&graphic);
  return bitmap != nullptr ? *bitmap : nullptr;
}

const TPDFJpegGraphic* JpegOf(const TPDFGraphic& graphic) {
  const auto* jpeg = std::get_if<const TPDFJpegGraphic*>(&graphic);
  return jpeg != nullptr ? *jpeg : nullptr;
}

// The 1 bit of the top-left pixel against its colour: true when the bitmap's
// palette paints 1 bits black. Looks at a pixel only when there is one.
bool ComputeBlackIs1(const TBitmap& bitmap) {
  if (bitmap.Empty()) return false;
  const bool bit = bitmap.Bit(0, 0);
  const bool white = bitmap.Pixel(0, 0) != platform::kBlack;
  return white != bit;
}

int CcittMode(ImageCompression compression) {
  switch (compression) {
    case icCCITT31:
      return TCCITTCompression::kGroup3OneDimensional;
    case icCCITT32:
      return TCCITTCompression::kGroup3TwoDimensional;
    default:
      return TCCITTCompression::kGroup4;
  }
}

// The "/DecodeParms" line of a CCITT image.
std::string DecodeParmsLine(ImageCompression compression, int width, int height, bool blackIs1) {
  std::string line = compression == icCCITT31   ? "/DecodeParms [<</K 0 /Columns "
                     : compression == icCCITT32 ? "/DecodeParms [<</K 1 /Columns "
                                                : "/DecodeParms [<</K -1 /Columns ";
  AppendInteger(line, width);
  line += " /Rows ";
  AppendInteger(line, height);
  if (blackIs1) line += "/BlackIs1 true";
  line += ">>]";
  return line;
}

// A 1-bit bitmap's rows as PDF samples: each row starts on a byte, 1 bits
// as they are.
std::string PackedRows(const TBitmap& bitmap) {
  const size_t rowBytes = (static_cast<size_t>(bitmap.Width()) + 7) / 8;
  std::string rows;
  rows.reserve(rowBytes * static_cast<size_t>(bitmap.Height()));
  for (int y = 0; y < bitmap.Height(); ++y)
    rows.append(reinterpret_cast<const char*>(bitmap.Row(y)), rowBytes);
  return rows;
}

}  // namespace

TPDFImage::TPDFImage(TPDFDocument* owner, const TPDFGraphic& graphic, ImageCompression compression,
                     int64_t transparentColor, bool isMask, int maskIndex, TPDFImages& siblings)
    : owner_(owner), siblings_(&siblings) {
  const TBitmap* bitmap = BitmapOf(graphic);
  const TPDFJpegGraphic* jpeg = JpegOf(graphic);

  if (bitmap != nullptr && bitmap->IsMonochrome() && compression != icJPEG)
    blackIs1_ = ComputeBlackIs1(*bitmap);

  maskIndex_ = maskIndex;
  isMask_ = isMask;
  if (maskIndex_ >= 0) CheckMask(siblings);
  if (isMask_ && bitmap == nullptr) throw TPDFException(msg::kMaskOnlyForBitmap);

  compression_ = compression;
  if (bitmap != nullptr) {
    width_ = bitmap->Width();
    height_ = bitmap->Height();
  } else if (jpeg != nullptr) {
    const TJpegInfo info = ReadJpegInfo(jpeg->data);
    width_ = info.width;
    height_ = info.height;
  }
  // An image without pixels, or of a size no bitmap may have, would be
  // written with "/Width 0" or worse, and readers refuse the whole page.
  if ((bitmap == nullptr && jpeg == nullptr) || !TBitmap::SizeAllowed(width_, height_))
    throw TPDFException(msg::kNotValidImage);

  if (isMask_) {
    EncodeMask(*bitmap, transparentColor);
  } else if (compression_ == icJPEG) {
    EncodeJpeg(graphic);
  } else if (compression_ == icFlate) {
    EncodeFlate(graphic);
  } else {
    EncodeCcitt(graphic);
  }
  // The encoded stream lives until its page is written; the room its
  // encoder reserved (for deflate, the input's size and more) must not.
  imageData_.shrink_to_fit();
}

void TPDFImage::CheckMask(const TPDFImages& siblings) const {
  if (isMask_) throw TPDFException(msg::kMaskCannotHaveMask);
  if (maskIndex_ >= siblings.Count()) throw TPDFException(msg::kUnknownMask);
  if (!siblings.Items(maskIndex_).IsMask()) throw TPDFException(msg::kMaskNotMarked);
}

namespace {

// 1 bits where `bitmap` shows `transparent`. A monochrome bitmap's rows are
// taken whole, as they are or inverted, as its palette says.
TBitmap TransparentBits(const TBitmap& bitmap, TColor transparent) {
  TBitmap mask(bitmap.Width(), bitmap.Height(), platform::TPixelFormat::pf1bit);
  if (!bitmap.IsMonochrome()) {
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        if (bitmap.Pixel(x, y) == transparent) mask.SetBit(x, y, true);
    return mask;
  }
  const bool zero = (bitmap.Palette()[0] & 0xFFFFFF) == transparent;
  const bool one = (bitmap.Palette()[1] & 0xFFFFFF) == transparent;
  const size_t rowBytes = (static_cast<size_t>(bitmap.Width()) + 7) / 8;
  if (rowBytes == 0) return mask;
  // Bits past the width stay 0, as a mask made pixel by pixel has them.
  const int spare = static_cast<int>(rowBytes * 8) - bitmap.Width();
  const auto lastByteMask = static_cast<uint8_t>(0xFF << spare);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* from = bitmap.Row(y);
    uint8_t* to = mask.Row(y);
    for (size_t i = 0; i < rowBytes; ++i)
      to[i] = static_cast<uint8_t>(zero && one ? 0xFF : zero ? ~from[i] : one ? from[i] : 0);
    to[rowBytes - 1] &= lastByteMask;
  }
  return mask;
}

}  // namespace

void TPDFImage::EncodeMask(const TBitmap& bitmap, int64_t transparentColor) {
  const TColor transparent = transparentColor == -1
                                 ? bitmap.Pixel(0, bitmap.Height() - 1) & 0xFFFFFF
                                 : static_cast<TColor>(transparentColor & 0xFFFFFF);
  const TBitmap mask = TransparentBits(bitmap, transparent);
  // The mask is made here with 1 bits white, whatever the source's palette.
  blackIs1_ = false;
  CompressBitmap(mask, &imageData_, TCCITTCompression::kGroup4);
  isGray_ = true;
  compression_ = icCCITT4;
  bitsPerComponent_ = 1;
  // Group 4 codes runs: a mask of single pixels (a hatch, dithering) takes
  // several times its unpacked size there, and deflate does far better.
  std::string deflated = Deflate(PackedRows(mask), kImageDeflateLevel);
  if (deflated.size() < imageData_.size()) {
    imageData_ = std::move(deflated);
    compression_ = icFlate;
  }
}

bool TPDFImage::IndexColors(const TBitmap& bitmap) {
  std::optional<IndexedSamples> indexed =
      ToIndexedSamples(bitmap, kMostIndexedColors, kPixelsPerIndexedColor);
  if (!indexed) return false;
  samples_ = std::move(indexed->samples);
  palette_ = std::move(indexed->palette);
  bitsPerComponent_ = indexed->bits;
  return true;
}

void TPDFImage::EncodeJpeg(const TPDFGraphic& graphic) {
  bitsPerComponent_ = 8;
  if (const TPDFJpegGraphic* jpeg = JpegOf(graphic)) {
    imageData_ = jpeg->data;
    isGray_ = ReadJpegInfo(jpeg->data).components == 1;
    return;
  }
  const int quality = owner_ != nullptr ? owner_->JPEGQuality() : 80;
  imageData_ = pdf::EncodeJpeg(*BitmapOf(graphic), quality);
}

void TPDFImage::EncodeFlate(const TPDFGraphic& graphic) {
  bitsPerComponent_ = 8;
  TBitmap decoded;
  const TBitmap* source = BitmapOf(graphic);
  if (source == nullptr) {
    decoded = DecodeJpeg(JpegOf(graphic)->data);
    source = &decoded;
  }
  if (source->IsMonochrome()) {
    // Rows of red, green, blue, not padded.
    std::string rgb;
    rgb.reserve(static_cast<size_t>(width_) * 3 * static_cast<size_t>(height_));
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const TColor c = source->Pixel(x, y);
        rgb += static_cast<char>(platform::ColorRed(c));
        rgb += static_cast<char>(platform::ColorGreen(c));
        rgb += static_cast<char>(platform::ColorBlue(c));
      }
    samples_ = std::move(rgb);
  } else if (source->Bytes().size() <= kLargestDeferred) {
    if (!IndexColors(*source)) samples_.assign(source->Bytes());
  } else {
    // A 24-bit bitmap's rows are the image's samples already: no copy.
    imageData_ = Deflate(source->Bytes(), kImageDeflateLevel);
  }
}

size_t TPDFImage::StartEncoding(platform::WorkPool& pool) {
  if (samples_.empty()) return 0;
  const size_t size = samples_.size();
  encoding_ =
      pool.Submit([samples = std::move(samples_)] { return Deflate(samples, kImageDeflateLevel); })
          .share();
  samples_.clear();
  return size;
}

const std::string& TPDFImage::ImageData() const {
  if (encoding_.valid()) {
    imageData_ = encoding_.get();
    encoding_ = {};
  }
  return imageData_;
}

void TPDFImage::EncodeCcitt(const TPDFGraphic& graphic) {
  const TBitmap* bitmap = BitmapOf(graphic);
  if (bitmap == nullptr) throw TPDFException(msg::kCcittOnlyForBitmap);
  if (!bitmap->IsMonochrome()) throw std::runtime_error(msg::kCcittNotMonochrome);
  bitsPerComponent_ = 1;
  CompressBitmap(*bitmap, &imageData_, CcittMode(compression_));
}

void TPDFImage::SetSoftMask(const std::string& opacity) {
  if (isMask_ || opacity.size() != static_cast<size_t>(width_) * static_cast<size_t>(height_))
    throw TPDFException(msg::kNotValidImage);
  softMask_ = Deflate(opacity, kImageDeflateLevel);
}

void TPDFImage::WriteImage(TPDFDocument& document) {
  if (isWritten_) return;
  int64_t softMaskNumber = 0;
  if (!softMask_.empty()) {
    document.BeginObject(softMaskNumber);
    document.WriteLine("/Type /XObject /Subtype /Image /ColorSpace /DeviceGray");
    document.WriteLine("/BitsPerComponent 8 /Filter /FlateDecode");
    document.WriteKeyInteger("/Width ", width_);
    document.WriteKeyInteger("/Height ", height_);
    document.WriteKeyInteger("/Length ", document.StreamLength(softMask_.size()));
    document.WriteStream(std::exchange(softMask_, std::string()), softMaskNumber);
  }
  int64_t maskNumber = 0;
  if (maskIndex_ >= 0) {
    TPDFImage& mask = siblings_->Items(maskIndex_);
    mask.WriteImage(document);
    maskNumber = mask.ObjectNumber();
  }
  document.BeginObject(objectNumber_);
  document.WriteLine("/Type /XObject");
  document.WriteLine("/Subtype /Image");
  if (!palette_.empty()) {
    std::string hex;
    for (char byte : palette_) AppendByteHex(hex, static_cast<uint8_t>(byte));
    document.WriteLine("/ColorSpace [/Indexed /DeviceRGB " + IntToStr(palette_.size() / 3 - 1) +
                       " <" + EncryptHexString(document.fileKey(), hex, objectNumber_) + ">]");
  } else {
    document.WriteLine(bitsPerComponent_ == 1 || isGray_ ? "/ColorSpace /DeviceGray"
                                                         : "/ColorSpace /DeviceRGB");
  }
  document.WriteKeyInteger("/BitsPerComponent ", bitsPerComponent_);
  document.WriteKeyInteger("/Width ", width_);
  document.WriteKeyInteger("/Height ", height_);
  if (isMask_) document.WriteLine("/ImageMask true");
  if (maskIndex_ >= 0) document.WriteKeyReference("/Mask ", maskNumber);
  if (softMaskNumber != 0) document.WriteKeyReference("/SMask ", softMaskNumber);
  document.WriteLine(compression_ == icFlate  ? "/Filter /FlateDecode"
                     : compression_ == icJPEG ? "/Filter /DCTDecode"
                                              : "/Filter [/CCITTFaxDecode]");
  if (encoding_.valid()) {
    // Archival files want a line end before "endstream", as other streams have.
    document.WriteStreamLater([encoding = std::exchange(encoding_, {})] { return encoding.get(); },
                              [](int64_t length) { return "/Length " + IntToStr(length) + "\r\n"; },
                              objectNumber_, 0, document.IsPdfA());
    isWritten_ = true;
    return;
  }
  document.WriteKeyInteger("/Length ", document.StreamLength(imageData_.size()));
  if (compression_ >= icCCITT31)
    document.WriteLine(DecodeParmsLine(compression_, width_, height_, blackIs1_));
  document.EndDictionary();
  document.BeginStreamData();
  EncryptStream(document.fileKey(), imageData_, objectNumber_);
  // Archival files want a line end before "endstream", as other streams have.
  document.WriteText(imageData_, document.IsPdfA());
  document.EndStreamData();
  document.EndObject();
  std::string().swap(imageData_);
  isWritten_ = true;
}

int TPDFImages::Add(const TPDFGraphic& graphic, ImageCompression compression,
                    int64_t transparentColor, bool isMask, int maskIndex,
                    const std::string& softMask) {
  auto image = std::make_unique<TPDFImage>(owner_, graphic, compression, transparentColor, isMask,
                                           maskIndex, *this);
  // Set before the look-up: the same colours under another opacity are
  // another image, and an earlier image must not take this one's mask.
  if (!softMask.empty()) image->SetSoftMask(softMask);
  if (const int earlier = repeats_.Find(*image, *this); earlier >= 0) return earlier;
  image->resourceName_ = "Im" + IntToStr(Count());
  items_.push_back(std::move(image));
  repeats_.Remember(*items_.back(), Count() - 1);
  if (owner_ != nullptr) {
    platform::WorkPool& pool = owner_->Pool();
    BoundEncoding(items_.back()->StartEncoding(pool), pool.size());
  } else {
    items_.back()->ImageData();  // deflated now, without a pool
  }
  return Count() - 1;
}

void TPDFImages::BoundEncoding(size_t added, int threads) {
  if (added == 0) return;
  encoding_.emplace_back(Count() - 1, added);
  encodingBytes_ += added;
  while (encoding_.size() > 1 &&
         encodingBytes_ > kEncodingPerThread * static_cast<size_t>(threads)) {
    const auto [index, bytes] = encoding_.front();
    encoding_.pop_front();
    encodingBytes_ -= bytes;
    Items(index).ImageData();
  }
}

void TPDFImages::WriteAll(TPDFDocument& document) {
  for (auto& image : items_) image->WriteImage(document);
}

}  // namespace pdf
