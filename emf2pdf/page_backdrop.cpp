#include "emf2pdf/page_backdrop.h"

#include <algorithm>
#include <cmath>

namespace emf2pdf {

namespace {

using platform::TBitmap;

int FloorDiv(int value, int side) {
  return value >= 0 ? value / side : -((-value + side - 1) / side);
}

// Under a black box the size of the render, so that the calls drawn over
// it show what they do to black.
void BlackGround(DrawingDevice& device, const PageBox& box) {
  DevicePath path;
  path.Rectangle(box.left, box.top, box.right, box.bottom);
  FillStyle black;
  device.DrawPath(path, &black, nullptr);
}

// Each channel of `tile` from what the calls made of white and of black
// there: white gives a + b x 255, black gives a.
void ApplyAffine(TBitmap& tile, const RasterArea& tileArea, const TBitmap& onWhite,
                 const TBitmap& onBlack, const RasterArea& renderArea) {
  const int dx = tileArea.left - renderArea.left, dy = tileArea.top - renderArea.top;
  for (int y = 0; y < tileArea.height; ++y) {
    uint8_t* row = tile.Row(y);
    const uint8_t* white = onWhite.Row(dy + y) + dx * 3;
    const uint8_t* black = onBlack.Row(dy + y) + dx * 3;
    for (int i = 0; i < tileArea.width * 3; ++i) {
      if (white[i] == 255 && black[i] == 0) continue;  // untouched
      const int a = black[i];
      const int b = white[i] - black[i];
      row[i] = static_cast<uint8_t>(std::clamp(a + (b * row[i] + 127) / 255, 0, 255));
    }
  }
}

}  // namespace

RasterArea Union(const RasterArea& a, const RasterArea& b) {
  const int left = std::min(a.left, b.left), top = std::min(a.top, b.top);
  const int right = std::max(a.left + a.width, b.left + b.width);
  const int bottom = std::max(a.top + a.height, b.top + b.height);
  return {left, top, right - left, bottom - top};
}

void CopyArea(TBitmap& to, const RasterArea& toArea, const TBitmap& from,
              const RasterArea& fromArea) {
  const int left = std::max(toArea.left, fromArea.left);
  const int right = std::min(toArea.left + toArea.width, fromArea.left + fromArea.width);
  const int top = std::max(toArea.top, fromArea.top);
  const int bottom = std::min(toArea.top + toArea.height, fromArea.top + fromArea.height);
  if (right <= left) return;
  for (int y = top; y < bottom; ++y) {
    const uint8_t* source = from.Row(y - fromArea.top) + (left - fromArea.left) * 3;
    std::copy(source, source + (right - left) * 3,
              to.Row(y - toArea.top) + (left - toArea.left) * 3);
  }
}

PageBackdrop::PageBackdrop(const DisplayListDevice& page, const AreaRenderer& render, double scale,
                           const RasterArea& whole)
    : page_(page), render_(render), scale_(scale), whole_(whole) {}

RasterArea PageBackdrop::AreaOf(const TileKey& key) const {
  return {key.first * kTileSide, key.second * kTileSide, kTileSide, kTileSide};
}

PageBox PageBackdrop::PageBoxOf(const RasterArea& area) const {
  return {area.left / scale_, area.top / scale_, (area.left + area.width) / scale_,
          (area.top + area.height) / scale_};
}

std::vector<PageBackdrop::TileKey> PageBackdrop::TilesFor(const RasterArea& area) const {
  const int64_t wholePixels = int64_t{whole_.width} * whole_.height;
  const bool small = whole_.width > 0 && whole_.height > 0 && wholePixels <= kSmallPage;
  const RasterArea tiled = small ? Union(area, whole_) : area;
  std::vector<TileKey> keys;
  const int lastColumn = FloorDiv(tiled.left + tiled.width - 1, kTileSide);
  const int lastRow = FloorDiv(tiled.top + tiled.height - 1, kTileSide);
  for (int row = FloorDiv(tiled.top, kTileSide); row <= lastRow; ++row)
    for (int column = FloorDiv(tiled.left, kTileSide); column <= lastColumn; ++column)
      keys.push_back({column, row});
  return keys;
}

std::optional<TBitmap> PageBackdrop::Under(const RasterArea& area, PictureBudget& budget) {
  const std::vector<TileKey> keys = TilesFor(area);
  for (const TileKey& key : keys) {
    if (tiles_.contains(key)) continue;
    const auto size = budget.Take(kTileSide, kTileSide);
    if (!size || size->width != kTileSide || size->height != kTileSide) return std::nullopt;
    Tile& tile = tiles_[key];
    tile.pixels = TBitmap(kTileSide, kTileSide, platform::TPixelFormat::pf24bit);
    tile.pixels.Fill(platform::kWhite);
  }
  Bring(keys, page_.Count());
  TBitmap under(area.width, area.height, platform::TPixelFormat::pf24bit);
  for (const TileKey& key : keys) CopyArea(under, area, tiles_[key].pixels, AreaOf(key));
  return under;
}

void PageBackdrop::Bring(const std::vector<TileKey>& keys, size_t drawnTo) {
  // Tiles drawn to the same call are brought up together, the oldest first.
  std::map<size_t, std::vector<TileKey>> byDrawnTo;
  for (const TileKey& key : keys)
    if (tiles_[key].drawnTo < drawnTo) byDrawnTo[tiles_[key].drawnTo].push_back(key);
  for (const auto& entry : byDrawnTo) {
    const size_t from = entry.first;  // named: lambdas cannot take bindings in C++20
    const std::vector<TileKey>& group = entry.second;
    RasterArea area = AreaOf(group.front());
    for (const TileKey& key : group) area = Union(area, AreaOf(key));
    // Only what reaches the tiles themselves, not the box around them.
    std::vector<PageBox> within;
    for (const TileKey& key : group) within.push_back(PageBoxOf(AreaOf(key)));
    const DisplayListDevice::Change change = page_.ChangeFrom(from, within);
    if (change == DisplayListDevice::Change::kAffine && from > 0) {
      const TBitmap onWhite =
          render_(area, [&](DrawingDevice& d) { page_.Replay(d, within, from); });
      const TBitmap onBlack = render_(area, [&](DrawingDevice& d) {
        page_.Replay(d, within, from,
                     [&](DrawingDevice& under) { BlackGround(under, PageBoxOf(area)); });
      });
      for (const TileKey& key : group)
        ApplyAffine(tiles_[key].pixels, AreaOf(key), onWhite, onBlack, area);
    } else if (change != DisplayListDevice::Change::kNone) {
      const TBitmap drawn = render_(area, [&](DrawingDevice& d) { page_.Replay(d, within); });
      for (const TileKey& key : group) CopyArea(tiles_[key].pixels, AreaOf(key), drawn, area);
    }
    for (const TileKey& key : group) tiles_[key].drawnTo = drawnTo;
  }
}

void PageBackdrop::Take(const RasterArea& area, const TBitmap& pixels) {
  for (auto& [key, tile] : tiles_) CopyArea(tile.pixels, AreaOf(key), pixels, area);
}

void PageBackdrop::Drawn(const RasterArea& area, size_t drawnBefore) {
  const size_t drawnTo = page_.Count();
  for (auto& [key, tile] : tiles_) {
    const RasterArea tileArea = AreaOf(key);
    const bool meets =
        tileArea.left < area.left + area.width && area.left < tileArea.left + tileArea.width &&
        tileArea.top < area.top + area.height && area.top < tileArea.top + tileArea.height;
    // Tiles beside the area were not drawn on.
    if (meets || tile.drawnTo >= drawnBefore) tile.drawnTo = drawnTo;
  }
}

}  // namespace emf2pdf
