#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emf2pdf/clip_region.h"
#include "emf2pdf/device_path.h"
#include "pdf/page.h"
#include "pdf/patterns.h"

namespace emf2pdf {

// How drawn paths meet what lies under them: the binary raster operations
// (ROP2) that PDF's blend modes give exactly for black, white and pure
// colours (AND multiplies, OR screens, XOR is the difference).
// kNone paints nothing (R2_NOP).
enum class Blend : uint8_t { kCopy, kMultiply, kScreen, kDifference, kNone };

// How a path's inside is painted: a solid colour or a tiling pattern whose
// cell repeats from `patternOrigin` in units of `patternUnitX` x
// `patternUnitY` page pixels (the pixels of the recording device).
struct FillStyle {
  uint32_t color = 0;                               // COLORREF
  const pdf::TPDFTilingPattern* pattern = nullptr;  // borrowed for the call
  pdf::TPDFDevicePoint patternOrigin;
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

// The font a text run is shown in, as the page asks for it.
struct FontRequest {
  std::string name;
  uint8_t style = 0;  // pdf::kStyle* bits
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
  uint32_t color = 0;                 // COLORREF
  const FontRequest* font = nullptr;  // borrowed for the call
};

// Where an image goes, in page pixels: an upright box, or under a rotating
// or shearing transform the parallelogram of three of its corners.
struct ImagePlacement {
  double x = 0, y = 0, width = 0, height = 0;
  bool framed = false;
  pdf::TPDFDevicePoint topLeft, topRight, bottomLeft;
};

// What the interpreter draws on: complete drawing calls in device space.
// The device owns the output's state (what is written and when); the
// interpreter keeps only the state of the device context it plays.
class DrawingDevice {
 public:
  virtual ~DrawingDevice() = default;

  // A picture starts from this pen's cap, join and width.
  virtual void Begin(const StrokeStyle& pen) = 0;
  // The picture is complete: nested levels are closed.
  virtual void End() = 0;

  // Fills and/or strokes the path; with neither, nothing is drawn.
  virtual void DrawPath(const DevicePath& path, const FillStyle* fill,
                        const StrokeStyle* stroke) = 0;
  // Fills the path with `color` in the Difference blend mode.
  virtual void FillDifference(const DevicePath& path, uint32_t color) = 0;

  // The clip in force from now on; compared by its serial with the clip
  // drawn under, and shown when something is drawn.
  virtual void SetClip(const ClipState& clip) = 0;
  // A further clip inside the one in force, until PopClip; its inside is
  // filled first when `fill` is given.
  virtual void PushClip(const DevicePath& path, const FillStyle* fill = nullptr) = 0;
  virtual void PopClip() = 0;

  virtual void ShowText(const TextRun& run) = 0;
  // Places document image `index`.
  virtual void ShowImage(int index, const ImagePlacement& at) = 0;
  // Smooth shadings over the clip in force (page pixels, colours 0..1).
  virtual void ShadeAxial(const pdf::TPDFShadedVertex& from, const pdf::TPDFShadedVertex& to) = 0;
  virtual void ShadeTriangles(std::span<const pdf::TPDFShadedVertex> vertices) = 0;
};

}  // namespace emf2pdf
