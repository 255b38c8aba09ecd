// Raster operations that combine with the page: the area's destination is
// the page so far, kept as a raster from the display list (PageBackdrop),
// shapes are drawn through our PDF writer and the rasterizer (one-pixel
// lines by GDI's rule); the result replaces only the pixels it changes.
#include "emf2pdf/raster_compositor.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "emf2pdf/display_list.h"
#include "emf2pdf/emf_records.h"
#include "emf2pdf/pdf_page_device.h"
#include "emf2pdf/pixel_coverage.h"
#include "pdf/document.h"
#include "pdf/metafile_player.h"
#include "pdf/page.h"
#include "platform/raster_ops.h"

namespace emf2pdf {

namespace {

using platform::TBitmap;
using platform::TColor;

const PageRasterizer* installed = nullptr;

constexpr double kMostDotsPerInch = 300;

// Plays drawing calls onto the form a page makes for them.
class CallPlayer final : public pdf::TPDFMetafilePlayer {
 public:
  CallPlayer(const std::function<void(DrawingDevice&)>& draw, double width, double height)
      : draw_(draw), width_(width), height_(height) {}
  Extent Load(pdf::TPDFPage& form) override {
    form_ = &form;
    return {width_, height_};
  }
  void Play() override {
    PdfPageDevice device(*form_);
    draw_(device);
  }

 private:
  const std::function<void(DrawingDevice&)>& draw_;
  double width_, height_;
  pdf::TPDFPage* form_ = nullptr;
};

int Modulo(int64_t value, int side) {
  const int64_t m = value % side;
  return static_cast<int>(m < 0 ? m + side : m);
}

// GDI's 8 x 8 hatch cells, y downwards.
bool HatchCovers(int hatch, int x, int y) {
  const bool horizontal = hatch == emr::HS_HORIZONTAL || hatch == emr::HS_CROSS;
  const bool vertical = hatch == emr::HS_VERTICAL || hatch == emr::HS_CROSS;
  const bool forward = hatch == emr::HS_FDIAGONAL || hatch > emr::HS_CROSS;
  const bool backward = hatch == emr::HS_BDIAGONAL || hatch > emr::HS_CROSS;
  return (horizontal && y == 3) || (vertical && x == 4) || (forward && x == y) ||
         (backward && x + y == 7);
}

// The pattern's colour at a point of the page; none in the gaps of a hatch
// without background.
std::optional<TColor> PatternAt(const FillStyle* fill, double x, double y) {
  if (fill == nullptr) return platform::kBlack;
  if (fill->pattern == nullptr) return fill->color & 0xFFFFFF;
  const FillPattern& pattern = *fill->pattern;
  const int64_t dx =
      static_cast<int64_t>(std::floor((x - fill->patternOrigin.x) / fill->patternUnitX));
  const int64_t dy =
      static_cast<int64_t>(std::floor((y - fill->patternOrigin.y) / fill->patternUnitY));
  if (pattern.hatch >= 0) {
    if (HatchCovers(pattern.hatch, Modulo(dx, 8), Modulo(dy, 8))) return pattern.color & 0xFFFFFF;
    if (pattern.background) return *pattern.background & 0xFFFFFF;
    return std::nullopt;
  }
  const BrushTile& tile = *pattern.tile;
  const uint32_t value = tile.pixels[static_cast<size_t>(Modulo(dy, tile.height)) * tile.width +
                                     Modulo(dx, tile.width)];
  if (tile.mono) return (value ? pattern.bkColor : pattern.textColor) & 0xFFFFFF;
  return value & 0xFFFFFF;
}

// The source's pixel under a point of the page, stretched over its
// placement; none outside it.
std::optional<TColor> SourceAt(const RasterOperation& op, double x, double y) {
  const ImagePlacement& at = op.at;
  double u = 0, v = 0;
  if (at.framed) {
    const double ax = at.topRight.x - at.topLeft.x, ay = at.topRight.y - at.topLeft.y;
    const double bx = at.bottomLeft.x - at.topLeft.x, by = at.bottomLeft.y - at.topLeft.y;
    const double det = ax * by - ay * bx;
    if (det == 0) return std::nullopt;
    const double px = x - at.topLeft.x, py = y - at.topLeft.y;
    u = (px * by - py * bx) / det;
    v = (ax * py - ay * px) / det;
  } else {
    if (at.width == 0 || at.height == 0) return std::nullopt;
    u = (x - at.x) / at.width;
    v = (y - at.y) / at.height;
  }
  if (!(u >= 0 && u < 1 && v >= 0 && v < 1)) return std::nullopt;
  const TBitmap& source = *op.source;
  const int sx = std::min(source.Width() - 1, static_cast<int>(u * source.Width()));
  const int sy = std::min(source.Height() - 1, static_cast<int>(v * source.Height()));
  return source.Pixel(sx, sy);
}

// The source's pixels under the raster pixels of an area: for a placement
// along the axes each column and row maps to one of the source's, found
// once; a framed one is worked out per pixel.
class SourceSampler {
 public:
  SourceSampler(const RasterOperation& op, double scale, const RasterArea& area)
      : op_(op), scale_(scale), area_(area) {
    if (op.source == nullptr || op.at.framed) return;
    columns_.resize(static_cast<size_t>(area.width));
    for (int x = 0; x < area.width; ++x)
      columns_[x] = Index((area.left + x + 0.5) / scale, op.at.x, op.at.width, op.source->Width());
    rows_.resize(static_cast<size_t>(area.height));
    for (int y = 0; y < area.height; ++y)
      rows_[y] = Index((area.top + y + 0.5) / scale, op.at.y, op.at.height, op.source->Height());
  }

  // At raster pixel (x, y) of the area.
  std::optional<TColor> At(int x, int y) const {
    if (op_.source == nullptr) return platform::kBlack;
    if (op_.at.framed)
      return SourceAt(op_, (area_.left + x + 0.5) / scale_, (area_.top + y + 0.5) / scale_);
    if (columns_[x] < 0 || rows_[y] < 0) return std::nullopt;
    return op_.source->Pixel(columns_[x], rows_[y]);
  }

 private:
  // The source's column (or row) under page coordinate `at`; -1 outside.
  static int Index(double at, double start, double length, int count) {
    if (length == 0) return -1;
    const double u = (at - start) / length;
    if (!(u >= 0 && u < 1)) return -1;
    return std::min(count - 1, static_cast<int>(u * count));
  }

  const RasterOperation& op_;
  double scale_;
  RasterArea area_;
  std::vector<int> columns_, rows_;
};

// The operation's shape in black under the clip: its coverage.
void DrawShape(const RasterOperation& op, const ClipState& clip, DrawingDevice& device) {
  StrokeStyle pen;
  if (op.outline) pen = *op.outline;
  pen.color = 0;
  pen.blend = Blend::kCopy;
  device.Begin(pen);
  device.SetClip(clip);
  if (op.outline) {
    device.DrawPath(*op.shape, nullptr, &pen);
  } else {
    FillStyle black;
    black.evenOdd = op.evenOdd;
    device.DrawPath(*op.shape, &black, nullptr);
  }
  device.End();
}

// A pixel is the shape's where the rasterizer paints half of it (its red,
// as it paints black on white); a thin
// line's pixels are painted less, as it falls between two rows or columns,
// so for outlines a quarter counts.
bool Covered(uint8_t red, bool outline) { return red < (outline ? 192 : 128); }

}  // namespace

const PageRasterizer* InstalledPageRasterizer() { return installed; }

UsePageRasterizer::UsePageRasterizer(PageRasterizer rasterizer)
    : previous_(installed), own_(std::move(rasterizer)) {
  installed = &own_;
}

UsePageRasterizer::~UsePageRasterizer() { installed = previous_; }

double CompositorScale(int resolution, double devicePixel, double placedScale) {
  const double perInch = resolution > 0 ? resolution : 72;
  const double placed = std::isfinite(placedScale) && placedScale > 0 ? placedScale : 1;
  const double scale = devicePixel > 0 ? 1 / devicePixel : 1;
  // A picture shrunk onto the page needs fewer raster pixels per pixel of
  // its own for the same dots per inch of paper.
  return std::min(scale, kMostDotsPerInch * placed / perInch);
}

TBitmap RasterCompositor::Render(const Area& area,
                                 const std::function<void(DrawingDevice&)>& draw) const {
  pdf::TPDFDocument document;
  document.SetMemoryOutput(true);
  document.SetResolution(settings_.resolution);
  document.SetVersion(settings_.version);
  document.BeginDoc();
  try {
    pdf::TPDFPage& page = document.CurrentPage();
    // One point of the page per raster pixel.
    const double f = page.Factor();
    page.SetWidth(area.width * f);
    page.SetHeight(area.height * f);
    CallPlayer player(draw, settings_.extentWidth, settings_.extentHeight);
    const double scale = settings_.scale * f;
    page.PlayMetaFile(player, -area.left * f, -area.top * f, scale, scale);
    document.EndDoc();
  } catch (...) {
    if (document.Active()) document.Abort();
    throw;
  }
  const std::string bytes = document.TakeMemoryOutput();
  return rasterizer_(bytes, area.width, area.height);
}

namespace {

using Area = RasterCompositor::Area;

int64_t PixelsOf(const Area& a) { return int64_t{a.width} * a.height; }

// A held image grows to take in the next operation unless most of the
// union would be neither: one image of neighbouring areas compresses to
// less than an image (and a stencil) each, a sparse one to more.
bool WorthJoining(const Area& held, const Area& next) {
  const int64_t joined = PixelsOf(Union(held, next));
  return joined <= 2 * (PixelsOf(held) + PixelsOf(next)) &&
         joined <= platform::TBitmap::kMaxPixels / 4;
}

// The whole page in raster pixels.
Area PageRaster(const CompositorSettings& settings) {
  return {0, 0, static_cast<int>(std::ceil(settings.extentWidth * settings.scale)),
          static_cast<int>(std::ceil(settings.extentHeight * settings.scale))};
}

bool Inside(const Area& inner, const Area& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

}  // namespace

RasterCompositor::RasterCompositor(DisplayListDevice& page, const PageRasterizer& rasterizer,
                                   const CompositorSettings& settings)
    : page_(page),
      rasterizer_(rasterizer),
      settings_(settings),
      renderArea_([this](const Area& area, const std::function<void(DrawingDevice&)>& draw) {
        return Render(area, draw);
      }),
      backdrop_(page, renderArea_, settings.scale, PageRaster(settings)) {
  page_.SetBeforeDrawing([this] { Flush(); });
}

RasterCompositor::~RasterCompositor() { page_.SetBeforeDrawing(nullptr); }

bool RasterCompositor::Extend(const Area& area, PictureBudget& budget) {
  if (held_.width > 0 && Inside(area, held_)) {
    reached_ = Union(reached_, area);
    return true;
  }
  const Area joined = held_.width > 0 ? Roomier(Union(held_, area)) : area;
  std::optional<TBitmap> under = backdrop_.Under(joined, budget);
  if (!under) return false;
  TBitmap made = *under;
  if (held_.width > 0) CopyArea(made, joined, made_, held_);
  reached_ = held_.width > 0 ? Union(reached_, area) : area;
  held_ = joined;
  under_ = std::move(*under);
  made_ = std::move(made);
  return true;
}

RasterCompositor::Area RasterCompositor::Roomier(const Area& joined) const {
  const Area page = PageRaster(settings_);
  const int pageRight = page.left + page.width, pageBottom = page.top + page.height;
  const int dx = joined.width / 2, dy = joined.height / 2;
  const int left = joined.left < held_.left ? std::max(0, joined.left - dx) : joined.left;
  const int top = joined.top < held_.top ? std::max(0, joined.top - dy) : joined.top;
  int right = joined.left + joined.width, bottom = joined.top + joined.height;
  if (right > held_.left + held_.width) right = std::max(right, std::min(pageRight, right + dx));
  if (bottom > held_.top + held_.height)
    bottom = std::max(bottom, std::min(pageBottom, bottom + dy));
  const Area roomy{left, top, right - left, bottom - top};
  return PixelsOf(roomy) <= platform::TBitmap::kMaxPixels / 4 ? roomy : joined;
}

void RasterCompositor::Flush() {
  if (held_.width == 0 || flushing_) return;
  // Only the box of the pixels that changed is drawn.
  int left = held_.width, right = -1, top = held_.height, bottom = -1;
  for (int y = 0; y < held_.height; ++y) {
    const uint8_t* made = made_.Row(y);
    const uint8_t* under = under_.Row(y);
    for (int x = 0; x < held_.width; ++x)
      if (!std::equal(made + 3 * x, made + 3 * x + 3, under + 3 * x)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  }
  const Area held = held_;
  held_ = Area();
  if (right < 0) return;
  backdrop_.Take(held, made_);
  // A margin of hidden pixels within the operations' areas: a viewer that
  // blends an image's edge with the page where it ends between its pixels
  // then blends nothing that shows, down to a quarter of our resolution.
  constexpr int kMargin = 4;
  const int reachedLeft = reached_.left - held.left, reachedTop = reached_.top - held.top;
  left = std::max(reachedLeft, left - kMargin);
  top = std::max(reachedTop, top - kMargin);
  right = std::min(reachedLeft + reached_.width - 1, right + kMargin);
  bottom = std::min(reachedTop + reached_.height - 1, bottom + kMargin);
  const Area area{held.left + left, held.top + top, right - left + 1, bottom - top + 1};
  TBitmap pixels(area.width, area.height, platform::TPixelFormat::pf24bit);
  TBitmap stencil(area.width, area.height, platform::TPixelFormat::pf1bit);
  stencil.Fill(platform::kWhite);
  for (int y = 0; y < area.height; ++y) {
    const uint8_t* made = made_.Row(top + y) + 3 * left;
    const uint8_t* under = under_.Row(top + y) + 3 * left;
    uint8_t* to = pixels.Row(y);
    for (int x = 0; x < area.width; ++x)
      if (!std::equal(made + 3 * x, made + 3 * x + 3, under + 3 * x)) {
        std::copy(made + 3 * x, made + 3 * x + 3, to + 3 * x);
        stencil.SetBit(x, y, false);  // shown
      }                               // hidden pixels stay black: the plainest to compress
  }
  const double k = settings_.scale;
  DeviceImage image;
  image.pixels = &pixels;
  image.stencil = &stencil;
  image.stencilHides = 0xFFFFFF;
  ImagePlacement at;
  at.x = area.left / k;
  at.y = area.top / k;
  at.width = area.width / k;
  at.height = area.height / k;
  // Each operation was held to the clip of its time: the image is drawn
  // under no clip, then the clip in force comes back.
  flushing_ = true;
  const size_t drawnBefore = page_.Count();
  const ClipState clip = page_.Clip();
  ClipState whole;
  whole.serial = wholeClipSerial_--;
  page_.SetClip(whole);
  page_.DrawImage(image, at);
  // The image covers whole raster pixels: the tiles beside it are not
  // drawn on (a hair inside its edges, which they touch).
  const double hair = 1e-6;
  page_.NarrowLastReach(
      {at.x + hair, at.y + hair, at.x + at.width - hair, at.y + at.height - hair});
  page_.SetClip(clip);
  flushing_ = false;
  backdrop_.Drawn(area, drawnBefore);
}

std::vector<PixelRun> RasterCompositor::Coverage(const RasterOperation& op, const ClipState& clip,
                                                 const Area& area) const {
  // A pen of one device pixel lights the pixels GDI's line drawing does;
  // the rasterizer would spread it over two rows where it falls between.
  const double k = settings_.scale;
  const bool outline = op.outline != nullptr;
  if (outline && op.outline->width * k <= 1.0 && op.outline->dash.empty())
    if (auto lit = ThinLinePixels(*op.shape, clip, k, area)) return std::move(*lit);
  if (!outline)
    if (auto filled = RectanglePixels(*op.shape, clip, k, area)) return std::move(*filled);
  const TBitmap shape = Render(area, [&](DrawingDevice& d) { DrawShape(op, clip, d); });
  std::vector<PixelRun> runs;
  for (int y = 0; y < area.height; ++y) {
    const uint8_t* row = shape.Row(y);
    for (int x = 0; x < area.width; ++x) {
      if (!Covered(row[3 * x], outline)) continue;
      if (!runs.empty() && runs.back().row == y && runs.back().right == x)
        ++runs.back().right;
      else
        runs.push_back({y, x, x + 1});
    }
  }
  return runs;
}

bool RasterCompositor::Compose(const RasterOperation& op, DrawingDevice&, PictureBudget& budget) {
  // Past this many operations, or pixels composited, on a page the rest are
  // drawn with blend modes, as well as they allow: a hostile page of
  // millions of them takes seconds, not hours.
  if (++operations_ > kMostOperationsPerPage || outOfBudget_) return false;
  const double k = settings_.scale;
  const PageBox box = BoundsOf(*op.shape);
  // A pen reaches past the path by up to its miter; a pixel more for the
  // rasterizer's rounding.
  const double reach = (op.outline ? op.outline->width * 5 : 0) + 1;
  const double left = std::max(0.0, std::floor((box.left - reach) * k));
  const double top = std::max(0.0, std::floor((box.top - reach) * k));
  const double right =
      std::min(std::ceil(settings_.extentWidth * k), std::ceil((box.right + reach) * k));
  const double bottom =
      std::min(std::ceil(settings_.extentHeight * k), std::ceil((box.bottom + reach) * k));
  if (!(right > left && bottom > top)) return true;  // nothing of it on the page
  const Area area{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                  static_cast<int>(bottom - top)};
  composited_ += PixelsOf(area);
  if (composited_ > kMostPixelsPerPage) return false;
  if (held_.width > 0 && !WorthJoining(reached_, area)) Flush();
  // The page's budget pays for the pixels the operations' areas grow by.
  const int64_t grows =
      held_.width > 0 ? PixelsOf(Union(reached_, area)) - PixelsOf(reached_) : PixelsOf(area);
  if (grows > 0) {
    const int rows = static_cast<int>((grows + area.width - 1) / area.width);
    const auto size = budget.Take(area.width, rows);
    // Once the budget refuses, the page's other operations are drawn with
    // blend modes without asking again (its message is said once).
    outOfBudget_ = !size || size->width != area.width || size->height != rows;
    if (outOfBudget_) return false;
  }
  outOfBudget_ = !Extend(area, budget);
  if (outOfBudget_) return false;
  const ClipState clip = page_.Clip();
  const SourceSampler source(op, k, area);
  for (const PixelRun& run : Coverage(op, clip, area)) {
    const double pageY = (area.top + run.row + 0.5) / k;
    uint8_t* made = made_.Row(area.top - held_.top + run.row) + 3 * (area.left - held_.left);
    for (int x = run.left; x < run.right; ++x) {
      const std::optional<TColor> pattern = PatternAt(op.pattern, (area.left + x + 0.5) / k, pageY);
      if (!pattern) continue;
      const std::optional<TColor> from = source.At(x, run.row);
      if (!from) continue;
      uint8_t* pixel = made + 3 * x;
      const TColor result = platform::ApplyRop(op.rop, *pattern, *from,
                                               platform::MakeColor(pixel[0], pixel[1], pixel[2]));
      pixel[0] = platform::ColorRed(result);
      pixel[1] = platform::ColorGreen(result);
      pixel[2] = platform::ColorBlue(result);
    }
  }
  return true;
}

}  // namespace emf2pdf
