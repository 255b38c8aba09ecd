// Bitmap records: the record's DIB is decoded into a bitmap of the size the
// record asks for, through the record's raster operation, and placed on the
// page as an image. Records without a source bitmap fill their destination.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/jpeg_codec.h"
#include "platform/bitmap.h"
#include "platform/dib_decoder.h"
#include "platform/raster_ops.h"

namespace emf2pdf {

namespace {

using platform::TBitmap;
using platform::TPixelFormat;

// StretchDIBits writers use this code for a plain copy.
constexpr uint32_t kSrcCopyAlternative = 0x00B8074A;

// The fields EMR_BITBLT, EMR_STRETCHBLT, EMR_MASKBLT, EMR_TRANSPARENTBLT and
// EMR_ALPHABLEND share, up to cbBitsSrc.
struct BltFields {
  RectL bounds;
  int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
  uint32_t rop = 0;  // TransparentColor and BLENDFUNCTION in the same place
  int32_t xSrc = 0, ySrc = 0;
  uint32_t usage = 0;
  uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
};

// The fields EMR_SETDIBITSTODEVICE and EMR_STRETCHDIBITS begin with.
struct DibRecordFields {
  RectL bounds;
  int32_t xDest = 0, yDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
  uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0;
};

DibRecordFields ReadDibRecordFields(RecordReader& in) {
  DibRecordFields f;
  f.bounds = in.RectL32();
  f.xDest = in.I32();
  f.yDest = in.I32();
  f.xSrc = in.I32();
  f.ySrc = in.I32();
  f.cxSrc = in.I32();
  f.cySrc = in.I32();
  f.offBmi = in.U32();
  f.cbBmi = in.U32();
  f.offBits = in.U32();
  f.cbBits = in.U32();
  f.usage = in.U32();
  return f;
}

BltFields ReadBltFields(RecordReader& in) {
  BltFields f;
  f.bounds = in.RectL32();
  f.xDest = in.I32();
  f.yDest = in.I32();
  f.cxDest = in.I32();
  f.cyDest = in.I32();
  f.rop = in.U32();
  f.xSrc = in.I32();
  f.ySrc = in.I32();
  in.Skip(24);  // xformSrc: the source is taken as mapped one to one
  in.U32();     // crBkColorSrc
  f.usage = in.U32();
  f.offBmi = in.U32();
  f.cbBmi = in.U32();
  f.offBits = in.U32();
  f.cbBits = in.U32();
  return f;
}

// The DIB of a record; the reader refuses offsets and sizes outside the record.
struct DibSource {
  std::span<const uint8_t> info;
  std::span<const uint8_t> bits;
  uint32_t usage = 0;
};

DibSource SourceOf(const RecordReader& in, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                   uint32_t cbBits, uint32_t usage) {
  return {in.BytesAt(offBmi, cbBmi), in.BytesAt(offBits, cbBits), usage};
}

// biWidth, biHeight, biBitCount and biCompression, read as they stand.
struct DibHeader {
  int64_t width = 0;
  int64_t height = 0;  // absolute
  int bitCount = 0;
  uint32_t compression = platform::BI_RGB;
  int64_t signedHeight = 0;
};

std::optional<DibHeader> PeekHeader(std::span<const uint8_t> info) {
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(info[at] | (info[at + 1] << 8)); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  if (info.size() >= 12 && u32(0) == 12)
    return DibHeader{u16(4), u16(6), static_cast<int>(u16(10)), platform::BI_RGB, u16(6)};
  if (info.size() < 20) return std::nullopt;
  const int64_t height = static_cast<int32_t>(u32(8));
  return DibHeader{static_cast<int32_t>(u32(4)), std::llabs(height), static_cast<int>(u16(14)),
                   u32(16), height};
}

// The most pixels the record's bits can describe: a run-length pair gives
// up to 255 pixels from two bytes.
int64_t PixelsHeld(const std::optional<DibHeader>& header, size_t bitsSize) {
  const int64_t bytes = static_cast<int64_t>(bitsSize);
  if (header &&
      (header->compression == platform::BI_RLE8 || header->compression == platform::BI_RLE4))
    return bytes * 128;
  const int bitCount = header && header->bitCount > 0 ? header->bitCount : 1;
  return bytes * 8 / bitCount;
}

// A bitmap of no pixels, of a size past the cap, or larger than the record's
// bits can fill is no picture anyone drew: such records add no image.
bool SizeUsable(int64_t width, int64_t height, int64_t held) {
  return TBitmap::SizeAllowed(width, height) && width * height <= held;
}

bool IsMonochrome(const std::optional<DibHeader>& header) {
  return header && header->bitCount == 1;
}

TPixelFormat FormatFor(bool monochrome) {
  return monochrome ? TPixelFormat::pf1bit : TPixelFormat::pf24bit;
}

// The area of a DIB whose bits are a JPEG file (BI_JPEG), through libjpeg,
// sampled to outWidth x outHeight. Empty when the data cannot be decoded or
// holds more pixels than it could.
platform::TDibPixels JpegArea(const DibSource& source, int64_t x, int64_t y, int width, int height,
                              int outWidth, int outHeight, bool originBottomLeft,
                              int64_t dibHeight) {
  const std::string_view data(reinterpret_cast<const char*>(source.bits.data()),
                              source.bits.size());
  platform::TDibPixels area;
  TBitmap decoded;
  try {
    const pdf::TJpegInfo info = pdf::ReadJpegInfo(data);
    if (static_cast<int64_t>(info.width) * info.height >
        static_cast<int64_t>(source.bits.size()) * 1024)
      return area;
    decoded = pdf::DecodeJpeg(data);
  } catch (const std::exception&) {
    return area;
  }
  // A positive biHeight puts the origin of the DIB functions at the bottom.
  const int64_t top = originBottomLeft && dibHeight > 0 ? decoded.Height() - y - height : y;
  area.width = outWidth;
  area.height = outHeight;
  const size_t count = static_cast<size_t>(outWidth) * static_cast<size_t>(outHeight);
  area.colors.assign(count, platform::kBlack);
  area.present.assign(count, 0);
  for (int oy = 0; oy < outHeight; ++oy) {
    const int64_t sy = top + platform::NearestSourceIndex(oy, height, outHeight);
    if (sy < 0 || sy >= decoded.Height()) continue;
    for (int ox = 0; ox < outWidth; ++ox) {
      const int64_t sx = x + platform::NearestSourceIndex(ox, width, outWidth);
      if (sx < 0 || sx >= decoded.Width()) continue;
      const size_t at = area.IndexOf(ox, oy);
      area.colors[at] = decoded.Pixel(static_cast<int>(sx), static_cast<int>(sy));
      area.present[at] = 1;
    }
  }
  return area;
}

// Copies the DIB's width x height area at (x, y) into the bitmap through
// `rop`, sampled to the bitmap's size (smaller when the page's picture
// budget ran short) a band of lines at a time. With `originBottomLeft` (the
// DIB functions), y counts from the bottom of a bottom-up DIB. A DIB that
// cannot be read leaves the bitmap as it is.
void CopyDibArea(TBitmap& bitmap, const DibSource& source, int64_t x, int64_t y, int width,
                 int height, uint32_t rop, bool originBottomLeft, int64_t firstScan = 0,
                 int64_t scans = -1, platform::TColor pattern = platform::kDefaultPattern) {
  platform::TDibDecoder decoder;
  if (!decoder.Load(source.info, source.bits, source.usage, firstScan, scans)) {
    const auto header = PeekHeader(source.info);
    if (!header || header->compression != platform::BI_JPEG) return;
    const platform::TDibPixels area =
        JpegArea(source, x, y, width, height, bitmap.Width(), bitmap.Height(), originBottomLeft,
                 header->signedHeight);
    if (!area.colors.empty()) platform::CopyPixels(bitmap, area, rop, pattern);
    return;
  }
  const int64_t top = originBottomLeft && !decoder.TopDown() ? decoder.Height() - y - height : y;
  decoder.ReadAreaInBands(x, top, width, height, bitmap.Width(), bitmap.Height(),
                          [&](const platform::TDibPixels& band, int outTop) {
                            platform::CopyPixels(bitmap, band, rop, pattern, outTop);
                          });
}

double Finite(double value) {
  if (!std::isfinite(value)) throw MalformedRecord("image size out of range");
  return value;
}

// The area an image covers on the page.
DevicePath PlacementPath(const ImagePlacement& at) {
  DevicePath shape;
  if (at.framed) {
    const DevicePoint& a = at.topLeft;
    const DevicePoint& b = at.topRight;
    const DevicePoint& d = at.bottomLeft;
    shape.MoveTo(a.x, a.y);
    shape.LineTo(b.x, b.y);
    shape.LineTo(b.x + d.x - a.x, b.y + d.y - a.y);
    shape.LineTo(d.x, d.y);
    shape.Close();
  } else {
    shape.Rectangle(at.x, at.y, at.x + at.width, at.y + at.height);
  }
  return shape;
}

}  // namespace

// --- Pictures with transparent parts -------------------------------------------------
//
// Programs draw a picture with transparent parts as two bitmap records
// (StretchDIBits, BitBlt, MaskBlt or StretchBlt) over the same destination: a monochrome mask with
// SRCAND (black where the picture shows), then the picture with SRCPAINT or SRCINVERT (black where
// it does not); or the mask with SRCPAINT (white where the picture shows),
// then the picture with SRCAND (white where it does not). Drawn one by one,
// each as an opaque image, the picture would cover the page around it in
// black or white. Together they make one image with the mask as its stencil.

bool TEMWParser::CompletesPendingMask(uint32_t rop, const Placement& at,
                                      const TBitmap& picture) const {
  if (!pendingMask_) return false;
  const PendingMask& mask = *pendingMask_;
  const bool pairs = mask.rop == platform::SRCAND
                         ? rop == platform::SRCPAINT || rop == platform::SRCINVERT
                         : rop == platform::SRCAND;
  // The two records may place their bitmaps differently (one by its bounds,
  // the other by the mapped destination), which rounds apart by a pixel.
  const double tolerance = 1.5 * std::max(fx_, fy_);
  auto same = [&](double a, double b) { return std::fabs(a - b) <= tolerance; };
  return pairs && same(mask.at.x, at.x) && same(mask.at.y, at.y) && same(mask.at.width, at.width) &&
         same(mask.at.height, at.height) && mask.mask.Width() == picture.Width() &&
         mask.mask.Height() == picture.Height();
}

// The stencil leaves out what the mask's raster operation would have left
// alone: white pixels under SRCAND, black ones under SRCPAINT.
void TEMWParser::ShowBitmap(const TBitmap& bitmap, const Placement& at, const TBitmap* stencil,
                            uint32_t stencilRop) {
  DeviceImage image;
  image.pixels = &bitmap;
  image.stencil = stencil;
  image.stencilHides = stencilRop == platform::SRCAND ? 0xFFFFFF : 0x000000;
  device_->DrawImage(image, at);
}

void TEMWParser::DrawMaskedPicture(const TBitmap& picture, const Placement& at) {
  const PendingMask mask = std::move(*pendingMask_);
  pendingMask_.reset();
  ShowBitmap(picture, at, &mask.mask, mask.rop);
}

// Alone, SRCAND and SRCPAINT change only where the source is not white
// (or black), and there, over paper, the source is what shows.
void TEMWParser::ShowThroughStencil(const TBitmap& own, uint32_t rop, const Placement& at) {
  if (BltNeedsRaster(rop, true) && ComposeBlt(rop, PlacementPath(at), &own, at)) return;
  ShowBitmap(own, at, &own, rop);
}

void TEMWParser::FlushPendingMask() {
  if (!pendingMask_) return;
  const PendingMask mask = std::move(*pendingMask_);
  pendingMask_.reset();
  ShowThroughStencil(mask.mask, mask.rop, mask.at);
}

TEMWParser::Placement TEMWParser::BoundsPlacement(const RectL& bounds) const {
  return BoxAt(DeviceX(bounds.left), DeviceY(bounds.top),
               (static_cast<double>(bounds.right) - bounds.left + 1) * fx_,
               (static_cast<double>(bounds.bottom) - bounds.top + 1) * fy_);
}

// Under a rotating or shearing transform the bounds only enclose the
// picture: it goes onto the parallelogram of its mapped destination.
TEMWParser::Placement TEMWParser::DestinationPlacement(const RectL& bounds, double x, double y,
                                                       double cx, double cy) const {
  Placement at = BoundsPlacement(bounds);
  if (AxisAligned()) return at;
  at.framed = true;
  at.topLeft = MapPoint(x, y);
  at.topRight = MapPoint(x + cx, y);
  at.bottomLeft = MapPoint(x, y + cy);
  return at;
}

void TEMWParser::ShowRasterImage(uint32_t rop, const std::function<TBitmap(uint32_t)>& made,
                                 const Placement& at) {
  if (platform::RopKeepsDestination(rop)) return;
  // Once a step of a sequence was composited the steps after it are too:
  // the mask idioms below would draw the steps before them once more.
  if (compositingBlts_ && BltNeedsRaster(rop, true)) {
    FlushPendingMask();
    const TBitmap own = made(platform::SRCCOPY);
    if (ComposeBlt(rop, PlacementPath(at), &own, at)) return;
  }
  compositingBlts_ = false;
  const bool maskRop = rop == platform::SRCAND || rop == platform::SRCPAINT;
  if (pendingMask_ && (maskRop || rop == platform::SRCINVERT)) {
    const TBitmap picture = made(platform::SRCCOPY);
    if (CompletesPendingMask(rop, at, picture)) {
      DrawMaskedPicture(picture, at);
      return;
    }
  }
  FlushPendingMask();
  if (maskRop) {
    TBitmap own = made(platform::SRCCOPY);
    if (own.IsMonochrome())
      pendingMask_ = PendingMask{std::move(own), rop, at};
    else
      ShowThroughStencil(own, rop, at);
    return;
  }
  if (BltNeedsRaster(rop, true)) {
    const TBitmap own = made(platform::SRCCOPY);
    compositingBlts_ = ComposeBlt(rop, PlacementPath(at), &own, at);
    if (compositingBlts_) return;
  }
  ShowBitmap(made(rop), at);
}

// --- Operations that combine with the page --------------------------------------------

platform::TColor TEMWParser::PatternColor() const { return ResolvePalette(state_.brushColor); }

// Without a source, DSTINVERT, and PATINVERT with a solid brush of pure
// colours, are the Difference blend mode exactly; operations that ignore the destination are
// drawn as images of their result unless a hatched or pattern brush takes
// part.
bool TEMWParser::BltNeedsRaster(uint32_t rop, bool hasSource) const {
  if (compositor_ == nullptr) return false;
  const bool pattern = platform::RopUsesPattern(rop);
  if (pattern && state_.nullBrush) return false;
  if (!platform::RopUsesDestination(rop))
    return pattern && PatternBrush() &&
           (hasSource ? platform::RopUsesSource(rop) : rop != platform::PATCOPY);
  if (hasSource) return true;
  if (!device_->DrawsBlendModes()) return true;
  if (rop == platform::DSTINVERT) return false;
  if (rop == platform::PATINVERT) return PatternBrush() || !BrushColorsPure();
  return !platform::RopUsesSource(rop);
}

bool TEMWParser::ComposeBlt(uint32_t rop, const DevicePath& shape, const TBitmap* source,
                            const Placement& at) {
  const FillStyle brush = RawBrush(false);
  RasterOperation op;
  op.rop = rop;
  op.shape = &shape;
  op.pattern = &brush;
  op.source = source;
  op.at = at;
  return Compose(op);
}

DevicePath TEMWParser::DestinationPath(int32_t x, int32_t y, int32_t cx, int32_t cy) const {
  // In doubles: x + cx may pass the 32-bit range.
  const double x2 = static_cast<double>(x) + cx;
  const double y2 = static_cast<double>(y) + cy;
  DevicePath path;
  if (AxisAligned()) {
    const auto a = Map({x, y});
    const auto b = MapPoint(x2, y2);
    path.Rectangle(a.x, a.y, b.x, b.y);
  } else {
    const auto a = Map({x, y}), b = MapPoint(x2, y), c = MapPoint(x2, y2), d = MapPoint(x, y2);
    path.MoveTo(a.x, a.y);
    path.LineTo(b.x, b.y);
    path.LineTo(c.x, c.y);
    path.LineTo(d.x, d.y);
    path.Close();
  }
  return path;
}

void TEMWParser::FillDestination(int32_t x, int32_t y, int32_t cx, int32_t cy,
                                 const FillStyle& fill) {
  device_->DrawPath(DestinationPath(x, y, cx, cy), &fill, nullptr);
}

// The page cannot be read back, but white painted in the Difference blend
// mode inverts what lies under it (DSTINVERT), and the brush colour XORs
// with it where either is black or white (PATINVERT).
void TEMWParser::InvertDestination(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) {
  if (rop == platform::PATINVERT && state_.nullBrush) return;
  FlushPendingMask();
  device_->FillDifference(DestinationPath(x, y, cx, cy), rop == platform::DSTINVERT
                                                             ? 0xFFFFFF
                                                             : ResolvePalette(state_.brushColor));
}

// Without a source only the raster operation and the brush count: BLACKNESS
// and WHITENESS ignore the brush, a null brush paints nothing, and the
// binary raster operation of pens and brushes plays no part.
void TEMWParser::PaintWithoutSource(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) {
  if (platform::RopKeepsDestination(rop)) return;
  if (BltNeedsRaster(rop, false)) {
    FlushPendingMask();
    if (ComposeBlt(rop, DestinationPath(x, y, cx, cy), nullptr, Placement())) return;
  }
  if (rop == platform::DSTINVERT || rop == platform::PATINVERT) {
    InvertDestination(x, y, cx, cy, rop);
    return;
  }
  if (!platform::IsSupportedRop(rop)) return;
  FlushPendingMask();
  if (rop != platform::BLACKNESS && rop != platform::WHITENESS && state_.nullBrush) return;
  FillStyle fill = rop == platform::BLACKNESS   ? SolidFill(0x000000)
                   : rop == platform::WHITENESS ? SolidFill(0xFFFFFF)
                                                : BrushFill(false);
  if (rop != platform::BLACKNESS && rop != platform::WHITENESS)
    fill.color = ResolvePalette(state_.brushColor);  // as it is, whatever the ROP2
  fill.blend = Blend::kCopy;
  FillDestination(x, y, cx, cy, fill);
}

void TEMWParser::DrawBlt(RecordReader& in, BltKind kind) {
  const BltFields f = ReadBltFields(in);
  const bool sized = f.cxDest != 0 && f.cyDest != 0;
  if (kind != BltKind::kMaskBlt && !sized) return;
  const uint32_t rop = kind == BltKind::kTransparentBlt ? platform::SRCCOPY : f.rop;
  const bool hasSource = f.cbBmi != 0 && f.cbBits != 0;
  if (kind == BltKind::kBitBlt && !hasSource) {
    PaintWithoutSource(f.xDest, f.yDest, f.cxDest, f.cyDest, rop);
    return;
  }
  // Codes our bitmap copies do not carry out are left to the compositor.
  if (kind == BltKind::kBitBlt && !platform::IsSupportedRop(rop) &&
      platform::RopUsesDestination(rop) && !BltNeedsRaster(rop, true))
    return;
  // A mask blt names its source always; without one there is nothing to copy.
  if (kind == BltKind::kMaskBlt && !hasSource) return;

  if (!hasSource) {
    PaintWithoutSource(f.xDest, f.yDest, f.cxDest, f.cyDest, rop);
  } else {
    const DibSource source = SourceOf(in, f.offBmi, f.cbBmi, f.offBits, f.cbBits, f.usage);
    const auto header = PeekHeader(source.info);
    const auto size = SizeUsable(f.cxDest, f.cyDest, PixelsHeld(header, source.bits.size()))
                          ? pictureBudget_.Take(f.cxDest, f.cyDest, IsMonochrome(header))
                          : std::nullopt;
    if (size) {
      const auto made = [&](uint32_t through) {
        TBitmap bitmap(size->width, size->height, FormatFor(IsMonochrome(header)));
        CopyDibArea(bitmap, source, f.xSrc, f.ySrc, f.cxDest, f.cyDest, through, false, 0, -1,
                    PatternColor());
        return bitmap;
      };
      ShowRasterImage(rop, made,
                      DestinationPlacement(f.bounds, f.xDest, f.yDest, f.cxDest, f.cyDest));
    }
  }
}

void TEMWParser::OnBitBlt(RecordReader& in) { DrawBlt(in, BltKind::kBitBlt); }

void TEMWParser::OnTransparentBlt(RecordReader& in) { DrawBlt(in, BltKind::kTransparentBlt); }

void TEMWParser::OnMaskBlt(RecordReader& in) { DrawBlt(in, BltKind::kMaskBlt); }

void TEMWParser::OnStretchBlt(RecordReader& in) {
  const BltFields f = ReadBltFields(in);
  if (f.offBmi == 0 || f.offBits == 0) {
    if (f.cxDest != 0 && f.cyDest != 0) {
      PaintWithoutSource(f.xDest, f.yDest, f.cxDest, f.cyDest, f.rop);
    } else {
      FlushPendingMask();
      path_.Clear();
    }
    return;
  }
  const int32_t cxSrc = in.I32();
  const int32_t cySrc = in.I32();
  const DibSource source = SourceOf(in, f.offBmi, f.cbBmi, f.offBits, f.cbBits, f.usage);
  const auto header = PeekHeader(source.info);
  if (!header) return;
  // The record's source area, as the platform copies it (a DIB may hold more
  // rows or columns than are shown); the whole DIB when the area is empty.
  const bool area = cxSrc > 0 && cySrc > 0;
  const int64_t areaWidth = area ? cxSrc : header->width;
  const int64_t areaHeight = area ? cySrc : header->height;
  if (!SizeUsable(areaWidth, areaHeight, PixelsHeld(header, source.bits.size()))) return;
  const int width = static_cast<int>(areaWidth);
  const int height = static_cast<int>(areaHeight);
  const int32_t xSrc = area ? f.xSrc : 0;
  const int32_t ySrc = area ? f.ySrc : 0;
  const TPixelFormat format = FormatFor(IsMonochrome(header));
  const auto size = pictureBudget_.Take(width, height, IsMonochrome(header));
  if (!size) return;
  const auto made = [&](uint32_t through) {
    TBitmap bitmap(size->width, size->height, format);
    CopyDibArea(bitmap, source, xSrc, ySrc, width, height, platform::SRCCOPY, false);
    if (through == platform::SRCCOPY) return bitmap;
    TBitmap combined(size->width, size->height, format);
    platform::CopyBitmap(combined, bitmap, through, PatternColor());
    return combined;
  };
  ShowRasterImage(f.rop, made,
                  DestinationPlacement(f.bounds, f.xDest, f.yDest, f.cxDest, f.cyDest));
}

void TEMWParser::OnSetDIBitsToDevice(RecordReader& in) {
  const DibRecordFields f = ReadDibRecordFields(in);
  const uint32_t startScan = in.U32();
  const uint32_t scans = in.U32();

  const DibSource source = SourceOf(in, f.offBmi, f.cbBmi, f.offBits, f.cbBits, f.usage);
  const auto header = PeekHeader(source.info);
  if (!SizeUsable(f.cxSrc, f.cySrc, PixelsHeld(header, source.bits.size()))) return;
  const XForm& t = Transform();
  const double width = Finite(t.eM11 * f.cxSrc);
  const double height = Finite(t.eM22 * f.cySrc);
  const auto size = pictureBudget_.Take(f.cxSrc, f.cySrc, IsMonochrome(header));
  if (!size) return;
  TBitmap bitmap(size->width, size->height, FormatFor(IsMonochrome(header)));
  CopyDibArea(bitmap, source, f.xSrc, f.ySrc, f.cxSrc, f.cySrc, platform::SRCCOPY, true, startScan,
              scans);
  Placement at = DestinationPlacement(f.bounds, f.xDest, f.yDest, f.cxSrc, f.cySrc);
  if (!at.framed) at = BoxAt(DeviceX(f.bounds.left), DeviceY(f.bounds.top), width, height);
  ShowBitmap(bitmap, at);
}

void TEMWParser::OnStretchDIBits(RecordReader& in) {
  const DibRecordFields f = ReadDibRecordFields(in);
  const uint32_t dwRop = in.U32();
  const int32_t cxDest = in.I32();
  const int32_t cyDest = in.I32();

  // The destination's corners as the mapping places them: an extent that is
  // negative on the page (a negative cxDest or cyDest, or a mapping whose y
  // runs upwards) mirrors the picture, which then covers the rectangle
  // between the two corners.
  const auto corner = Map({f.xDest, f.yDest});
  const double width =
      Finite(MapPoint(static_cast<double>(f.xDest) + cxDest, f.yDest).x - corner.x);
  const double height =
      Finite(MapPoint(f.xDest, static_cast<double>(f.yDest) + cyDest).y - corner.y);
  const bool inverted = f.bounds.right < f.bounds.left || f.bounds.bottom < f.bounds.top;
  if (inverted && (std::fabs(width) < 0.01 || std::fabs(height) < 0.01)) return;
  const uint32_t rop = dwRop == kSrcCopyAlternative ? platform::SRCCOPY : dwRop;

  const DibSource source = SourceOf(in, f.offBmi, f.cbBmi, f.offBits, f.cbBits, f.usage);
  const auto header = PeekHeader(source.info);
  if (!SizeUsable(f.cxSrc, f.cySrc, PixelsHeld(header, source.bits.size()))) return;
  const auto size = pictureBudget_.Take(f.cxSrc, f.cySrc, IsMonochrome(header));
  if (!size) return;
  const auto made = [&](uint32_t through) {
    TBitmap bitmap(size->width, size->height, FormatFor(IsMonochrome(header)));
    CopyDibArea(bitmap, source, f.xSrc, f.ySrc, f.cxSrc, f.cySrc, through, true, 0, -1,
                PatternColor());
    if (width < 0) bitmap.MirrorHorizontal();
    if (height < 0) bitmap.MirrorVertical();
    return bitmap;
  };
  Placement at = DestinationPlacement(f.bounds, f.xDest, f.yDest, cxDest, cyDest);
  if (!at.framed)
    at = BoxAt(std::min(corner.x, corner.x + width), std::min(corner.y, corner.y + height),
               std::fabs(width), std::fabs(height));
  ShowRasterImage(rop, made, at);
}

namespace {

// The source area sampled to `size`, as AlphaBlend takes it: pixels the
// source does not give are absent, alpha only where the source has it.
platform::TDibPixels ReadTranslucent(const platform::TDibDecoder& decoder, bool loaded,
                                     const BltFields& f, int32_t cxSrc, int32_t cySrc,
                                     PictureBudget::Size size) {
  platform::TDibPixels pixels;
  pixels.width = size.width;
  pixels.height = size.height;
  const size_t count = static_cast<size_t>(size.width) * static_cast<size_t>(size.height);
  pixels.colors.assign(count, platform::kBlack);
  pixels.present.assign(count, 0);
  if (!loaded) return pixels;
  decoder.ReadAreaInBands(
      f.xSrc, f.ySrc, cxSrc, cySrc, size.width, size.height,
      [&](const platform::TDibPixels& band, int outTop) {
        if (!band.alpha.empty() && pixels.alpha.empty()) pixels.alpha.assign(count, 0);
        const int width = std::min(band.width, size.width);
        for (int y = 0; y < band.height && outTop + y < size.height; ++y) {
          const size_t from = band.IndexOf(0, y), to = pixels.IndexOf(0, outTop + y);
          std::copy_n(band.colors.begin() + from, width, pixels.colors.begin() + to);
          std::copy_n(band.present.begin() + from, width, pixels.present.begin() + to);
          if (!band.alpha.empty())
            std::copy_n(band.alpha.begin() + from, width, pixels.alpha.begin() + to);
        }
      });
  return pixels;
}

}  // namespace

namespace {

constexpr uint32_t kDibPalMono = 2;

// The bits of a mono brush stored as GDI writes them with DIB_PAL_MONO: no
// colour table, rows top-down and aligned to 16 bits, as a device bitmap's.
std::shared_ptr<BrushTile> MonoTile(std::span<const uint8_t> bits, int64_t width, int64_t height) {
  const int64_t stride = (width + 15) / 16 * 2;
  if (width < 1 || height < 1 || width * height > kMaxBrushTilePixels ||
      static_cast<uint64_t>(stride * height) > bits.size())
    return nullptr;
  auto tile = std::make_shared<BrushTile>();
  tile->width = static_cast<int>(width);
  tile->height = static_cast<int>(height);
  tile->mono = true;
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x)
      tile->pixels.push_back((bits[static_cast<size_t>(y * stride + x / 8)] >> (7 - x % 8)) & 1);
  return tile;
}

}  // namespace

// EMR_CREATEDIBPATTERNBRUSHPT and EMR_CREATEMONOBRUSH: the bitmap is the
// brush's cell; its mean colour stands for it where no pattern can be drawn
// (and for the whole brush when the bitmap is too large to repeat).
void TEMWParser::OnCreateDibPatternBrush(RecordReader& in) { CreatePatternBrush(in, false); }

void TEMWParser::OnCreateMonoBrush(RecordReader& in) { CreatePatternBrush(in, true); }

void TEMWParser::CreatePatternBrush(RecordReader& in, bool mono) {
  const uint32_t index = in.U32();
  const uint32_t usage = in.U32();
  const uint32_t offBmi = in.U32(), cbBmi = in.U32(), offBits = in.U32(), cbBits = in.U32();
  const DibSource source = SourceOf(in, offBmi, cbBmi, offBits, cbBits, usage);
  const auto header = PeekHeader(source.info);
  // A mono brush takes the context's colours: 0 bits the text colour, 1 bits
  // the background colour.
  if (header && mono && usage == kDibPalMono && header->bitCount == 1) {
    EmwObject brush;
    brush.kind = EmwObject::Kind::kBrush;
    brush.style = emr::BS_SOLID;
    brush.color = 0x808080;
    brush.tile = MonoTile(source.bits, header->width, header->height);
    if (!brush.tile) throw MalformedRecord("mono brush without usable bits");
    StoreObject(index, brush);
    return;
  }
  if (!header || !SizeUsable(header->width, header->height, PixelsHeld(header, source.bits.size())))
    throw MalformedRecord("pattern brush without a usable bitmap");
  platform::TDibDecoder decoder;
  if (!decoder.Load(source.info, source.bits, source.usage))
    throw MalformedRecord("pattern brush bitmap cannot be read");
  const int width = decoder.Width(), height = decoder.Height();
  auto tile = std::make_shared<BrushTile>();
  const bool keepTile = int64_t{width} * height <= kMaxBrushTilePixels;
  if (keepTile) {
    tile->width = width;
    tile->height = height;
    tile->pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  }
  // The mean of a large pattern is sampled on a grid of at most 64 x 64 pixels.
  const int stepX = keepTile ? 1 : std::max(1, width / 64);
  const int stepY = keepTile ? 1 : std::max(1, height / 64);
  double r = 0, g = 0, b = 0;
  int64_t count = 0;
  for (int y = 0; y < height; y += stepY) {
    const platform::TDibPixels row = decoder.ReadArea(0, y, width, 1);
    for (int x = 0; x < row.width; x += stepX) {
      const platform::TColor c = row.colors[row.IndexOf(x, 0)];
      r += platform::ColorRed(c);
      g += platform::ColorGreen(c);
      b += platform::ColorBlue(c);
      ++count;
      if (!keepTile) continue;
      tile->pixels.push_back(c & 0xFFFFFF);
    }
  }
  if (count == 0) throw MalformedRecord("empty pattern brush");
  EmwObject brush;
  brush.kind = EmwObject::Kind::kBrush;
  brush.style = emr::BS_SOLID;
  brush.color = platform::MakeColor(static_cast<uint8_t>(std::lround(r / count)),
                                    static_cast<uint8_t>(std::lround(g / count)),
                                    static_cast<uint8_t>(std::lround(b / count)));
  if (keepTile && tile->pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height))
    brush.tile = std::move(tile);
  StoreObject(index, brush);
}

// The source area goes onto the parallelogram of three mapped points:
// upper-left, upper-right and lower-left. The mask is not applied.
void TEMWParser::OnPlgBlt(RecordReader& in) {
  in.RectL32();  // rclBounds
  PointL corners[3];
  for (PointL& p : corners) p = in.PointL32();
  const int32_t xSrc = in.I32(), ySrc = in.I32(), cxSrc = in.I32(), cySrc = in.I32();
  in.Skip(24 + 4);  // xformSrc, crBkColorSrc
  const uint32_t usage = in.U32();
  const uint32_t offBmi = in.U32(), cbBmi = in.U32(), offBits = in.U32(), cbBits = in.U32();
  if (cbBmi == 0 || cbBits == 0 || cxSrc < 1 || cySrc < 1) return;
  const DibSource source = SourceOf(in, offBmi, cbBmi, offBits, cbBits, usage);
  const auto header = PeekHeader(source.info);
  if (!SizeUsable(cxSrc, cySrc, PixelsHeld(header, source.bits.size()))) return;
  const auto size = pictureBudget_.Take(cxSrc, cySrc, IsMonochrome(header));
  if (!size) return;
  TBitmap bitmap(size->width, size->height, FormatFor(IsMonochrome(header)));
  CopyDibArea(bitmap, source, xSrc, ySrc, cxSrc, cySrc, platform::SRCCOPY, false);
  Placement at;
  at.framed = true;
  at.topLeft = Map(corners[0]);
  at.topRight = Map(corners[1]);
  at.bottomLeft = Map(corners[2]);
  FlushPendingMask();
  ShowBitmap(bitmap, at);
}

void TEMWParser::OnAlphaBlend(RecordReader& in) {
  const BltFields f = ReadBltFields(in);
  const int32_t cxSrc = in.I32();
  const int32_t cySrc = in.I32();
  if (cxSrc < 1 || cySrc < 1) {
    if (f.cxDest != 0 && f.cyDest != 0)
      FillDestination(f.xDest, f.yDest, f.cxDest, f.cyDest,
                      SolidFill(ResolvePalette(state_.brushColor)));
    else
      path_.Clear();
    return;
  }
  const DibSource source = SourceOf(in, f.offBmi, f.cbBmi, f.offBits, f.cbBits, f.usage);
  const auto header = PeekHeader(source.info);
  if (!SizeUsable(cxSrc, cySrc, PixelsHeld(header, source.bits.size()))) return;
  const auto size = pictureBudget_.Take(cxSrc, cySrc);
  if (!size) return;
  const Placement at = DestinationPlacement(f.bounds, f.xDest, f.yDest, f.cxDest, f.cyDest);
  platform::TDibDecoder decoder;
  const bool loaded = decoder.Load(source.info, source.bits, source.usage);
  const platform::TDibPixels pixels = ReadTranslucent(decoder, loaded, f, cxSrc, cySrc, *size);
  FlushPendingMask();
  DeviceImage image;
  image.translucent = &pixels;
  image.perPixelAlpha = (f.rop >> 24) & 1;  // AC_SRC_ALPHA
  image.constantAlpha = static_cast<uint8_t>((f.rop >> 16) & 0xFF);
  device_->DrawImage(image, at);
}

}  // namespace emf2pdf
