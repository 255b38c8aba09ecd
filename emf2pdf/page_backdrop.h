#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "emf2pdf/display_list.h"
#include "emf2pdf/picture_budget.h"
#include "platform/bitmap.h"

namespace emf2pdf {

// An area of a page's raster, in its pixels.
struct RasterArea {
  int left = 0, top = 0, width = 0, height = 0;
};

// Pixels of one row of an area, columns left up to, not including, right.
struct PixelRun {
  int row = 0, left = 0, right = 0;
  bool operator==(const PixelRun&) const = default;
};

// The smallest area holding both.
RasterArea Union(const RasterArea& a, const RasterArea& b);

// Renders drawing calls over an area of the raster onto white.
using AreaRenderer = std::function<platform::TBitmap(
    const RasterArea& area, const std::function<void(DrawingDevice&)>& draw)>;

// The page so far as a raster, kept in tiles, each drawn up to some call of
// the display list: what the page shows under an area is brought up to
// date by drawing only the calls kept since. A tile's new calls are
// rendered twice, onto white and onto black, which gives each pixel's
// channel as a + b x what lay under it: exact for painting, Multiply and
// Screen, to a step of rounding at the edges of shapes. Calls that blend
// otherwise (Difference) have the tile drawn again from the start.
class PageBackdrop {
 public:
  // `scale`: raster pixels per page pixel; `whole`: the page's raster.
  // `page` and `render` must outlive the backdrop.
  PageBackdrop(const DisplayListDevice& page, const AreaRenderer& render, double scale,
               const RasterArea& whole);

  // The page as every call kept so far draws it, over `area`; none when the
  // page's budget has no room for the tiles it needs.
  std::optional<platform::TBitmap> Under(const RasterArea& area, PictureBudget& budget);

  // What the compositor will draw over `area` (`pixels`, its size): the
  // page there once the calls that draw it are kept, with the tiles under
  // it brought up to date before.
  void Take(const RasterArea& area, const platform::TBitmap& pixels);
  // Those calls are kept: the ones since `drawnBefore` draw nothing outside
  // the area.
  void Drawn(const RasterArea& area, size_t drawnBefore);

  static constexpr int kTileSide = 64;

 private:
  struct Tile {
    platform::TBitmap pixels;
    size_t drawnTo = 0;  // calls drawn on it
  };
  using TileKey = std::pair<int, int>;  // column, row

  // Brings the tiles up to date: all drawn to `drawnTo`.
  void Bring(const std::vector<TileKey>& keys, size_t drawnTo);
  RasterArea AreaOf(const TileKey& key) const;
  PageBox PageBoxOf(const RasterArea& area) const;

  // The tiles an area needs, or every tile of a small page: operations
  // that spread over it then take one render, not one per tile they reach.
  std::vector<TileKey> TilesFor(const RasterArea& area) const;

  static constexpr int64_t kSmallPage = int64_t{1} << 20;  // pixels

  const DisplayListDevice& page_;
  const AreaRenderer& render_;
  double scale_;
  RasterArea whole_;
  std::map<TileKey, Tile> tiles_;
};

// `from`'s pixels into `to`, where `to` covers `toArea` and `from`
// `fromArea`; only where the two meet.
void CopyArea(platform::TBitmap& to, const RasterArea& toArea, const platform::TBitmap& from,
              const RasterArea& fromArea);

}  // namespace emf2pdf
