#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "emf2pdf/drawing_device.h"
#include "emf2pdf/page_backdrop.h"
#include "emf2pdf/picture_budget.h"
#include "pdf/pdf_types.h"
#include "platform/bitmap.h"

namespace emf2pdf {

class DisplayListDevice;

// Paints the first page of a PDF onto a 24-bit bitmap of exactly width x
// height pixels on white (the raster path of the bitmap outputs).
using PageRasterizer =
    std::function<platform::TBitmap(std::string_view pdf, int width, int height)>;

// The rasterizer pictures combine raster operations with; none unless a
// program that has one installs it (the silent PDF program loads no
// rasterizing library). Pictures played without one draw every raster
// operation as vectors, as well as blend modes can.
const PageRasterizer* InstalledPageRasterizer();

// Installs a rasterizer for as long as it lives, then restores the one
// before it.
class UsePageRasterizer {
 public:
  explicit UsePageRasterizer(PageRasterizer rasterizer);
  ~UsePageRasterizer();
  UsePageRasterizer(const UsePageRasterizer&) = delete;
  UsePageRasterizer& operator=(const UsePageRasterizer&) = delete;

 private:
  const PageRasterizer* previous_;
  PageRasterizer own_;
};

// A raster operation that combines with what lies under it: per pixel of
// the shape, the bits of the pattern (the brush, or the pen's colour), the
// source bitmap and the destination, through ternary code `rop`.
struct RasterOperation {
  uint32_t rop = 0;
  const DevicePath* shape = nullptr;
  // The shape is stroked with this pen; without one it is filled.
  const StrokeStyle* outline = nullptr;
  bool evenOdd = false;
  // The pattern: a solid colour, hatch or tile; a hatch without background
  // leaves its gaps alone.
  const FillStyle* pattern = nullptr;
  // The source, stretched over `at` (null for operations without one).
  const platform::TBitmap* source = nullptr;
  ImagePlacement at;
};

// Carries out raster operations for the interpreter.
class PageCompositor {
 public:
  virtual ~PageCompositor() = default;
  // Draws the operation's result on `device`; false when it cannot (the
  // area is past the page's picture budget), and the caller draws it as
  // vectors.
  virtual bool Compose(const RasterOperation& operation, DrawingDevice& device,
                       PictureBudget& budget) = 0;
};

// How the page so far is rendered: the document's resolution and version,
// the picture's extent in page pixels and the raster pixels per page pixel.
struct CompositorSettings {
  int resolution = 72;
  pdf::TPDFVersion version = pdf::v14;
  double extentWidth = 0;
  double extentHeight = 0;
  double scale = 1;
};

// Renders the operation's shape under the clip through the rasterizer,
// combines it pixel by pixel exactly as GDI does with the page so far (a
// backdrop kept from the display list), and draws the
// pixels that change as an image through a stencil, so that the rest of
// the page stays vector. Operations that follow one another with nothing
// drawn between them make one image: it is drawn when anything else is
// drawn, or the picture ends.
class RasterCompositor final : public PageCompositor {
 public:
  // `page` and `rasterizer` must outlive the compositor; it draws its
  // images on `page`.
  RasterCompositor(DisplayListDevice& page, const PageRasterizer& rasterizer,
                   const CompositorSettings& settings);
  ~RasterCompositor() override;

  // Draws on the page it was given, not on `device`.
  bool Compose(const RasterOperation& operation, DrawingDevice& device,
               PictureBudget& budget) override;

  using Area = RasterArea;

 private:
  platform::TBitmap Render(const Area& area, const std::function<void(DrawingDevice&)>& draw) const;
  // The pixels of `area` the operation's shape covers under the clip.
  std::vector<PixelRun> Coverage(const RasterOperation& operation, const ClipState& clip,
                                 const Area& area) const;
  // Takes `area` into the held image: the page so far under it; false when
  // the page's budget has no room for it.
  bool Extend(const Area& area, PictureBudget& budget);
  // The held image grows to `joined` and, on each side it grew to, by half
  // as much again within the page: a run of operations spreading over the
  // page then takes the page under it a few times, not once each.
  Area Roomier(const Area& joined) const;
  // Draws the held image, if any pixel changed.
  void Flush();

  DisplayListDevice& page_;
  const PageRasterizer& rasterizer_;
  CompositorSettings settings_;
  AreaRenderer renderArea_;
  PageBackdrop backdrop_;
  static constexpr int kMostOperationsPerPage = 4096;
  static constexpr int64_t kMostPixelsPerPage = int64_t{256} << 20;
  int operations_ = 0;        // asked for on this page
  int64_t composited_ = 0;    // pixels of their areas
  bool outOfBudget_ = false;  // the page's picture budget refused one
  // The held image: its area, the page under it and the result so far, and
  // the union of its operations' areas (within the held area, which grows
  // with room to spare).
  Area held_;
  Area reached_;
  platform::TBitmap under_;
  platform::TBitmap made_;
  bool flushing_ = false;
  uint64_t wholeClipSerial_ = ~uint64_t{0};
};

// Raster pixels per page pixel for a page of `resolution` page pixels per
// inch whose picture's device pixel is `devicePixel` page pixels and which
// is drawn `placedScale` times its size on paper: one per device pixel, at
// most 300 per inch of paper.
double CompositorScale(int resolution, double devicePixel, double placedScale);

}  // namespace emf2pdf
