#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emf2pdf/brush_patterns.h"
#include "emf2pdf/clip_region.h"
#include "emf2pdf/device_path.h"
#include "platform/bitmap.h"
#include "platform/dib_decoder.h"

namespace emf2pdf {

// A point in page pixels (the pixels of the picture on its page, y downwards).
struct DevicePoint {
  double x = 0;
  double y = 0;
};

// A corner of a smooth shading: page pixels and colour components 0..1.
struct ShadedVertex {
  double x = 0;
  double y = 0;
  double r = 0;
  double g = 0;
  double b = 0;
};

// How drawn paths meet what lies under them: the binary raster operations
// (ROP2) that blend modes give exactly for black, white and pure colours
// (AND multiplies, OR screens, XOR is the difference).
// kNone paints nothing (R2_NOP).
enum class Blend : uint8_t { kCopy, kMultiply, kScreen, kDifference, kNone };

// A brush that repeats a cell from the device origin: GDI's 8 x 8 hatch of
// HS_ style `hatch` in `color` (over `background` when the background is
// opaque), or the bits of a pattern brush (a mono tile's 0 bits take
// `textColor`, its 1 bits `bkColor`). Colours are COLORREFs.
struct FillPattern {
  int hatch = -1;  // -1: the tile
  uint32_t color = 0;
  std::optional<uint32_t> background;
  std::shared_ptr<const BrushTile> tile;
  uint32_t textColor = 0;
  uint32_t bkColor = 0;
};

// How a path's inside is painted: a solid colour or a pattern whose cell
// repeats from `patternOrigin` in units of `patternUnitX` x `patternUnitY`
// page pixels (the pixels of the recording device).
struct FillStyle {
  uint32_t color = 0;                    // COLORREF
  const FillPattern* pattern = nullptr;  // borrowed for the call
  DevicePoint patternOrigin;
  double patternUnitX = 1;
  double patternUnitY = 1;
  bool evenOdd = false;
  Blend blend = Blend::kCopy;
};

// How a path's outline is drawn; lengths in page pixels. An empty dash is a
// solid line. Caps: 0 butt, 1 round, 2 square; joins: 0 miter, 1 round, 2 bevel.
struct StrokeStyle {
  uint32_t color = 0;  // COLORREF
  double width = 1;
  std::vector<double> dash;
  int cap = 0;
  int join = 0;
  Blend blend = Blend::kCopy;
};

// Style bits of a font request.
inline constexpr uint8_t kFontBold = 1;
inline constexpr uint8_t kFontItalic = 2;
inline constexpr uint8_t kFontUnderline = 4;
inline constexpr uint8_t kFontStrikeOut = 8;

// The font a text run is shown in, as the picture asks for it.
struct FontRequest {
  std::string name;
  uint8_t style = 0;  // kFont* bits
  int charset = 1;
  double size = 0;  // page pixels
  double horizontalScaling = 100;
};

// One text record's characters, placed at (x, y) page pixels and turned by
// `angle` degrees counter-clockwise.
struct TextRun {
  enum class Encoding : uint8_t { kBytes, kUnits, kGlyphs };
  Encoding encoding = Encoding::kUnits;
  std::string_view bytes;            // kBytes: single-byte text
  std::u16string_view units;         // kUnits: UTF-16 text
  std::span<const uint16_t> glyphs;  // kGlyphs: glyph indices
  // Advances per character in page pixels; `placed` says whether the run
  // is laid out by them (even when empty) or shown with the font's own.
  std::span<const double> advances;
  bool placed = true;
  double x = 0, y = 0, angle = 0;
  bool baselineOrigin = false;  // (x, y) is on the baseline, not the top
  bool resetsCharacterSpacing = false;
  // Mirrored or unevenly scaled text: the glyphs' x and y axes on the page
  // (y upwards) in units of the font size, with (x, y) on the baseline and
  // the advances measured along the x axis in those units (so many page
  // pixels of the font size); unset, the glyphs stand upright, turned by
  // `angle`.
  std::optional<std::array<double, 4>> axes;
  uint32_t color = 0;                 // COLORREF
  const FontRequest* font = nullptr;  // borrowed for the call
};

// A bitmap to draw, everything borrowed for the call: `pixels`, opaque or
// through a stencil (1 bit per pixel, the bitmap's size) that leaves out
// the pixels where it holds `stencilHides` (COLORREF); or `translucent`
// pixels as GDI's AlphaBlend blends them: absent ones leave what lies
// under them, the colours are premultiplied by their alpha when
// `perPixelAlpha`, and the whole covers `constantAlpha` / 255.
struct DeviceImage {
  const platform::TBitmap* pixels = nullptr;
  const platform::TBitmap* stencil = nullptr;
  uint32_t stencilHides = 0;
  const platform::TDibPixels* translucent = nullptr;
  bool perPixelAlpha = false;
  uint8_t constantAlpha = 255;
};

// Where an image goes, in page pixels: an upright box, or under a rotating
// or shearing transform the parallelogram of three of its corners.
struct ImagePlacement {
  double x = 0, y = 0, width = 0, height = 0;
  bool framed = false;
  DevicePoint topLeft, topRight, bottomLeft;
};

// The four corners of where an image goes.
inline std::array<DevicePoint, 4> CornersOf(const ImagePlacement& at) {
  if (!at.framed)
    return {{{at.x, at.y},
             {at.x + at.width, at.y},
             {at.x, at.y + at.height},
             {at.x + at.width, at.y + at.height}}};
  return {{at.topLeft,
           at.topRight,
           at.bottomLeft,
           {at.topRight.x + at.bottomLeft.x - at.topLeft.x,
            at.topRight.y + at.bottomLeft.y - at.topLeft.y}}};
}

// What the interpreter draws on: complete drawing calls in page pixels.
// The device owns the output's state (what is written and when); the
// interpreter keeps only the state of the device context it plays.
// Clips pushed and not popped are popped by End, for every device: the
// public calls keep the count and hand on to the Do* calls of the device.
class DrawingDevice {
 public:
  virtual ~DrawingDevice() = default;

  // Whether the Multiply, Screen and Difference blends reach the output (not
  // in PDF/A-1, which has none): where they do not, the raster operations
  // they stand for are composited instead.
  virtual bool DrawsBlendModes() const { return true; }

  // A picture starts from this pen's cap, join and width.
  void Begin(const StrokeStyle& pen);
  // The picture is complete: clips still pushed are popped first.
  void End();

  // A further clip inside the one in force, until PopClip; its inside is
  // filled first when `fill` is given. A PopClip without its PushClip is
  // a fault of the caller: refused (an assertion in debug builds) and
  // counted.
  void PushClip(const DevicePath& path, const FillStyle* fill = nullptr);
  void PopClip();
  int PushedClips() const { return pushedClips_; }
  int StrayPops() const { return strayPops_; }

  // Fills and/or strokes the path; with neither, nothing is drawn.
  virtual void DrawPath(const DevicePath& path, const FillStyle* fill,
                        const StrokeStyle* stroke) = 0;
  // Fills the path with `color` in the Difference blend mode.
  virtual void FillDifference(const DevicePath& path, uint32_t color) = 0;

  // The clip in force from now on; compared by its serial with the clip
  // drawn under, and shown when something is drawn.
  virtual void SetClip(const ClipState& clip) = 0;

  virtual void ShowText(const TextRun& run) = 0;
  virtual void DrawImage(const DeviceImage& image, const ImagePlacement& at) = 0;
  // Smooth shadings over the clip in force: axial from one vertex's colour
  // to the other's, extended past both ends; Gouraud triangles, three
  // vertices each.
  virtual void ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) = 0;
  virtual void ShadeTriangles(std::span<const ShadedVertex> vertices) = 0;

 protected:
  virtual void DoBegin(const StrokeStyle& pen) = 0;
  virtual void DoEnd() = 0;
  virtual void DoPushClip(const DevicePath& path, const FillStyle* fill) = 0;
  virtual void DoPopClip() = 0;

 private:
  int pushedClips_ = 0;
  int strayPops_ = 0;
};

}  // namespace emf2pdf
