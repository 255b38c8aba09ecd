#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/brush_patterns.h"
#include "emf2pdf/device_path.h"
#include "emf2pdf/drawing_device.h"
#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emf_types.h"
#include "emf2pdf/emw_font_metrics.h"
#include "emf2pdf/emw_objects.h"
#include "emf2pdf/picture_budget.h"
#include "emf2pdf/raster_compositor.h"
#include "emf2pdf/record_reader.h"
#include "emf2pdf/record_trace.h"
#include "emf2pdf/shadow_dc.h"
#include "pdf/arc_geometry.h"
#include "pdf/emf_parse_options.h"
#include "platform/bitmap.h"

namespace emf2pdf {

// What playing a picture takes from the document it is drawn for: the page
// pixels per inch and the metafile options.
struct PlaySettings {
  double resolution = 72;
  pdf::TPDFEMFParseOptions options;
};

// The picture's extent in page pixels: rclBounds.right and .bottom (the
// frame's where they lie further) from the frame's corner, plus one.
struct PictureExtent {
  double width = 0;  // may be negative
  double height = 0;
};
PictureExtent MeasurePicture(const EmfHeader& header, const PlaySettings& settings);

// Replays the records of one enhanced metafile onto the drawing device it is
// handed: keeps its own model of the device-context state the records change
// and turns the drawing records into complete calls of the device (paths
// with their fill and stroke, clips, text runs, images), which owns what is
// written. The picture's frame corner is the device's origin.
// Handlers live in records_*.cpp, one file per group of records.
class TEMWParser {
 public:
  // `emf` and `device` must outlive the parser.
  TEMWParser(const EmfReader& emf, DrawingDevice& device, const PlaySettings& settings = {});
  ~TEMWParser();

  // Plays the picture from its first record to its last, Begin to End.
  void Play();

  // Records dropped because they did not fit or held unusable values.
  int DroppedRecords() const { return droppedRecords_; }
  // False when the walk stopped at a record whose size was broken.
  bool WalkCompleted() const { return walkCompleted_; }

  // Told what became of every record (a trace); null for none.
  void SetObserver(RecordObserver* observer) { observer_ = observer; }

  // Carries out the raster operations that blend modes cannot draw
  // exactly; without one (null) they are drawn as well as blend modes can.
  void SetCompositor(PageCompositor* compositor) { compositor_ = compositor; }

 private:
  using Handler = void (TEMWParser::*)(RecordReader&);
  struct RecordEntry {
    uint32_t type;
    const char* name;
    uint32_t minimumSize;
    Handler handler;
  };
  static const RecordEntry kRecords[];
  static const RecordEntry* FindEntry(uint32_t type);

  enum class HAlign { kLeft, kCenter, kRight };
  enum class VAlign { kTop, kBaseline, kBottom };

  // The drawing state that is not part of the shadow context's saved values.
  struct DrawingState {
    XForm world;
    PointL position;
    bool fillAlternate = true;
    bool bkOpaque = true;
    HAlign hAlign = HAlign::kLeft;
    VAlign vAlign = VAlign::kTop;
    bool updateCP = false;
    bool arcCounterClockwise = true;
    uint32_t penStyle = 0;
    double penWidth = 1;  // device units, as last worked out
    uint32_t penColor = 0;
    uint32_t brushColor = 0xFFFFFF;  // WHITE_BRUSH, as a new device context has
    bool nullBrush = false;
    int hatch = -1;                         // HS_ style of a hatched brush, -1 for others
    std::shared_ptr<const BrushTile> tile;  // of a DIB pattern or mono brush
    bool roundCaps = false;                 // after EMR_POLYDRAW16, for the rest of the picture
    LogFont font;
    bool symbolFont = false;
    bool fontChanged = true;  // the font request must be worked out again
    bool pathBracket = false;
    Blend blend = Blend::kCopy;  // of the ROP2 in force
  };

  // --- walk (emw_parser.cpp) ---
  void Dispatch(const EmfRecord& record);
  RecordOutcome PlayRecord(const EmfRecord& record);
  void ReportBrokenRecord(size_t offset) const;
  bool InvertsDestination() const;
  void PaintPaper();
  PictureExtent extent_;
  void ResetState();

  // --- path construction (emw_path_buffer.cpp) ---
  // The path being built, in page pixels: a record's own outside a path
  // bracket, the bracket's inside one (and after it, until painted).
  void PathMoveTo(double x, double y);
  void PathLineTo(double x, double y);
  void PathCurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void PathRectangle(double x1, double y1, double x2, double y2);
  void PathEllipse(double x1, double y1, double x2, double y2);
  void PathRoundRect(double x1, double y1, double x2, double y2, double w, double h);
  // `closeToStart` draws a line back to where the arc began (a chord).
  void PathArc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
               double y4, bool closeToStart);
  void PathPie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
               double y4);
  void PathClose();
  bool PatternBrush() const { return state_.hatch >= 0 || state_.tile != nullptr; }
  FillPattern brushPattern_;  // of the last pattern fill, lent to the device

  // --- pens and brushes as the device draws them (emw_paint_styles.cpp) ---
  // The pen in force under the mapping in force; worked out again after a
  // record that selects a pen or changes the mapping.
  const StrokeStyle& PenStroke();
  std::optional<StrokeStyle> penStroke_;
  // The brush: hatched and pattern brushes as tiling patterns.
  FillStyle BrushFill(bool evenOdd);
  FillStyle SolidFill(uint32_t color) const;
  // Paints path_ and ends it: filled with the brush and/or stroked with the pen.
  void PaintPath(bool fill, bool evenOdd, bool stroke);
  // The brush as the pattern of a raster operation: its own colours.
  FillStyle RawBrush(bool evenOdd);
  // Paints path_ through the compositor when the ROP2 needs it for the
  // fill or the outline; false when neither does (or there is none).
  bool ComposeRop2(bool fill, bool evenOdd, bool stroke);
  // The operation carried out by the compositor; false when it could not.
  bool Compose(const RasterOperation& operation);
  PageCompositor* compositor_ = nullptr;  // borrowed; null for none

  // --- coordinates and colours (emw_coordinates.cpp) ---
  // Logical -> page pixels; throws MalformedRecord for values that give no
  // finite, sane result (zero extents, huge transforms).
  XForm PageMapping() const;
  XForm LogicalToDevice() const;
  const XForm& Transform() const;
  bool AxisAligned() const;  // no rotation or shear
  DevicePoint MapPoint(double x, double y) const;
  DevicePoint Map(const PointL& p) const;
  // Device units of the picture -> page pixels.
  double DeviceX(double x) const;
  double DeviceY(double y) const;
  double MetricScaleX() const;
  double MetricScaleY() const;
  double PenScale() const;
  double FontScale() const;
  double PageAngle(double tenths) const;
  // Logical lengths -> page pixels along the axes (scale, no origins).
  double LengthX(double length) const;
  double LengthY(double length) const;
  static uint32_t ResolvePalette(uint32_t color);

  // --- state records (records_state.cpp) ---
  void OnNothing(RecordReader& in);
  void OnSetWindowExtEx(RecordReader& in);
  void OnSetWindowOrgEx(RecordReader& in);
  void OnSetViewportExtEx(RecordReader& in);
  void OnSetViewportOrgEx(RecordReader& in);
  void OnSetMapMode(RecordReader& in);
  void OnSetBkMode(RecordReader& in);
  void OnSetRop2(RecordReader& in);
  static Blend BlendOfRop2(uint32_t rop2);
  uint32_t Rop2Color(uint32_t color) const;
  // Whether blend modes draw the ROP2 in force exactly with the brush (or
  // the pen): what does not depend on what lies under it, and XOR, AND and
  // OR with colours whose channels are all 0 or 255.
  bool Rop2DrawsExactly(bool brush) const;
  // The ROP2 in force reads what lies under it.
  bool Rop2ReadsDestination() const;
  bool BrushColorsPure() const;
  void OnSetPolyFillMode(RecordReader& in);
  void OnSetStretchBltMode(RecordReader& in);
  void OnSetTextAlign(RecordReader& in);
  void OnSetTextColor(RecordReader& in);
  void OnSetBkColor(RecordReader& in);
  void OnMoveToEx(RecordReader& in);
  void OnScaleViewportExtEx(RecordReader& in);
  void OnScaleWindowExtEx(RecordReader& in);
  void OnSetWorldTransform(RecordReader& in);
  void OnModifyWorldTransform(RecordReader& in);
  void OnSetArcDirection(RecordReader& in);
  void ApplyTextAlign(uint32_t flags);
  void FixIsotropic();

  // --- objects and saved states (records_objects.cpp) ---
  void OnCreatePen(RecordReader& in);
  void OnExtCreatePen(RecordReader& in);
  void OnCreateBrushIndirect(RecordReader& in);
  void OnExtCreateFontIndirectW(RecordReader& in);
  void OnDeleteObject(RecordReader& in);
  void OnSelectObject(RecordReader& in);
  void OnSaveDC(RecordReader& in);
  void OnRestoreDC(RecordReader& in);
  void StoreObject(uint32_t index, const EmwObject& object);
  void SelectStockObject(uint32_t stock);
  void TakeOverPen(const EmwObject& pen);
  // The pen's width in device units under the mapping in force.
  double PenDeviceWidth(const EmwObject& pen) const;
  void TakeOverBrush(const EmwObject& brush);
  void TakeOverFont(const EmwObject& font, bool restoring);
  // The pen's dash in page pixels (empty: solid).
  std::vector<double> PenDash(uint32_t penStyle) const;
  // The pen's end cap and join, set on `stroke`.
  void PenCapAndJoin(const EmwObject& pen, StrokeStyle& stroke) const;

  // --- clipping (records_clipping.cpp) ---
  void OnIntersectClipRect(RecordReader& in);
  void OnExtSelectClipRgn(RecordReader& in);
  void OnSelectClipPath(RecordReader& in);
  bool UniteClipPath(ClipState clip, const DevicePath& shape);
  void OnExcludeClipRect(RecordReader& in);
  void OnOffsetClipRgn(RecordReader& in);
  void SetClip(ClipState clip);
  void CombineClipRegion(const RectSet& rects, RegionMode mode);
  ClipRect MappedClipRect(const RectL& r) const;
  std::vector<RectL> ReadRegionRects(RecordReader& in, uint32_t cbRgnData);

  // --- lines, polygons and paths (records_paths.cpp) ---
  void OnLineTo(RecordReader& in);
  void OnPolyline(RecordReader& in);
  void OnPolyline16(RecordReader& in);
  void OnPolygon(RecordReader& in);
  void OnPolygon16(RecordReader& in);
  void OnPolylineTo(RecordReader& in);
  void OnPolylineTo16(RecordReader& in);
  void OnPolyPolyline(RecordReader& in);
  void OnPolyPolyline16(RecordReader& in);
  void OnPolyPolygon(RecordReader& in);
  void OnPolyPolygon16(RecordReader& in);
  void OnPolyBezier(RecordReader& in);
  void OnPolyBezier16(RecordReader& in);
  void OnPolyBezierTo(RecordReader& in);
  void OnPolyBezierTo16(RecordReader& in);
  void OnPolyDraw(RecordReader& in);
  void OnPolyDraw16(RecordReader& in);
  void OnSetPixelV(RecordReader& in);
  void OnBeginPath(RecordReader& in);
  void OnEndPath(RecordReader& in);
  void OnCloseFigure(RecordReader& in);
  void OnFillPath(RecordReader& in);
  void OnStrokeAndFillPath(RecordReader& in);
  void OnStrokePath(RecordReader& in);
  void OnAbortPath(RecordReader& in);
  void OnFillRgn(RecordReader& in);
  std::vector<PointL> ReadPoints(RecordReader& in, bool small);
  void DrawPolyline(const std::vector<PointL>& points);
  void DrawPolygon(const std::vector<PointL>& points);
  void DrawPolylineTo(const std::vector<PointL>& points);
  void DrawPolyPoly(RecordReader& in, bool small, bool polygons);
  void DrawPolyBezier(const std::vector<PointL>& points);
  void DrawPolyBezierTo(const std::vector<PointL>& points);
  void DrawPolyDraw(RecordReader& in, bool small);
  void PaintStroke();
  void PaintFillAndStroke();
  void PaintShape();

  // --- shapes and arcs (records_shapes.cpp) ---
  void OnRectangle(RecordReader& in);
  void OnEllipse(RecordReader& in);
  void OnRoundRect(RecordReader& in);
  void PathArcRecord(RecordReader& in, bool chord);
  void OnArc(RecordReader& in);
  void OnChord(RecordReader& in);
  void OnPie(RecordReader& in);
  void OnArcTo(RecordReader& in);
  void OnAngleArc(RecordReader& in);
  enum class ShapeKind { kRectangle, kEllipse };
  void LogicalMoveTo(double x, double y);
  void LogicalLineTo(double x, double y);
  void LogicalCurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void LogicalShape(const RectL& box, ShapeKind kind);
  void LogicalRoundRect(RectL box, double w, double h);
  pdf::TPDFArcGeometry::Point LogicalArc(const RectL& box, PointL start, PointL end,
                                         bool lineToStart);

  // --- text (records_text.cpp) ---
  void OnExtTextOutA(RecordReader& in);
  void OnExtTextOutW(RecordReader& in);
  void OnSmallTextOut(RecordReader& in);
  void OnPolyTextOutA(RecordReader& in);
  void OnPolyTextOutW(RecordReader& in);
  // What a text record's background and clip prologue did, for its
  // epilogue: whether it pushed a clip.
  using TextBackground = bool;
  const FontRequest& SelectTextFont();
  void DrawExtTextOut(RecordReader& in, bool wide);
  void DrawPolyTextOut(RecordReader& in, bool wide);
  // An EMRTEXT structure: a string, its reference point and advances.
  struct EmrText {
    PointL reference;
    uint32_t nChars = 0;
    uint32_t options = 0;
    RectL rcl;
    std::span<const uint8_t> chars;
    std::span<const uint8_t> dx;
    size_t dxStride = 4;
  };
  static EmrText ReadEmrText(RecordReader& in, bool wide);
  // Draws one string as ExtTextOut does.
  void DrawEmrText(const EmrText& text, bool wide, bool advanced);
  TextBackground BeginTextBackground(uint32_t options, const RectL& rcl, uint32_t nChars);
  TextBackground BeginTextClip(const RectL& clip, bool fill);
  void EndTextBackground(TextBackground pushed);
  void FillTextCells(double startX, double startY, double width);
  // Text drawn at `at`; `baseline` when the point is on the baseline.
  void ShowTextRun(TextRun run, DevicePoint at, bool baseline);
  DevicePoint TextReferencePoint(const PointL& reference, double width, bool& baseline);
  DevicePoint SmallTextPoint(double x, int32_t y, bool& baseline);
  // The logical start of text `width` long: with TA_UPDATECP the current
  // position, which then moves past the text.
  DevicePoint TextStart(const PointL& reference, double width);
  // How glyphs lie on the page: their baseline origin and the page-pixel
  // vectors of one logical unit along the baseline and up the glyphs.
  struct TextAxes {
    DevicePoint origin, along, up;
  };
  // Text of `width` starting at the logical start point, placed by the
  // alignment; `advanced`: the record's graphics mode is GM_ADVANCED.
  TextAxes TextAxesAt(DevicePoint start, double width, bool advanced);
  // Advanced-mode text under a mirror or an uneven scale, which a size and
  // an angle cannot show.
  bool NeedsGlyphAxes(bool advanced) const;
  void FillGlyphCells(const TextAxes& axes, double width);
  // Text inside a path bracket: the glyphs' outlines join the path.
  void AddTextOutline(const TextAxes& axes, std::u16string_view units, bool glyphIndex,
                      std::span<const double> dx);
  // The point `u` along and `v` up the text's axes, in logical units;
  // throws MalformedRecord past the device's coordinates.
  static DevicePoint TextPoint(const TextAxes& axes, double u, double v);
  void AddTextBars(const TextAxes& axes, double length, const platform::FontMetrics& metrics,
                   double em);
  EmwFontMetrics fontMetrics_;
  FontRequest fontRequest_;
  double fontPoints_ = 0;  // the font's em in points, before the transform

  // --- bitmaps (records_bitmap.cpp) ---
  void OnBitBlt(RecordReader& in);
  void OnStretchBlt(RecordReader& in);
  void OnMaskBlt(RecordReader& in);
  void OnSetDIBitsToDevice(RecordReader& in);
  void OnStretchDIBits(RecordReader& in);
  void OnAlphaBlend(RecordReader& in);
  void OnPlgBlt(RecordReader& in);
  void OnCreateDibPatternBrush(RecordReader& in);
  void OnCreateMonoBrush(RecordReader& in);
  void CreatePatternBrush(RecordReader& in, bool mono);
  void OnGradientFill(RecordReader& in);
  // The mapped polygon of logical points as a path; filled in `color`.
  DevicePath LogicalPolygonPath(std::initializer_list<std::pair<double, double>> points) const;
  void FillLogicalPolygon(std::initializer_list<std::pair<double, double>> points, uint32_t color);
  void OnTransparentBlt(RecordReader& in);
  enum class BltKind { kBitBlt, kTransparentBlt, kMaskBlt };
  void DrawBlt(RecordReader& in, BltKind kind);
  void PaintWithoutSource(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop);
  // Whether a bitmap record's `rop` goes to the compositor: it combines
  // with the destination, or with a hatched or pattern brush.
  bool BltNeedsRaster(uint32_t rop, bool hasSource) const;
  bool ComposeBlt(uint32_t rop, const DevicePath& shape, const platform::TBitmap* source,
                  const ImagePlacement& at);
  // The brush's colour as the pattern of bitmap records.
  platform::TColor PatternColor() const;
  void InvertDestination(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop);
  // Where an image goes on the form, in page pixels.
  using Placement = ImagePlacement;
  static Placement BoxAt(double x, double y, double width, double height) {
    Placement at;
    at.x = x;
    at.y = y;
    at.width = width;
    at.height = height;
    return at;
  }
  Placement DestinationPlacement(const RectL& bounds, double x, double y, double cx,
                                 double cy) const;

  // A monochrome mask drawn with SRCAND or SRCPAINT is held back until the
  // next record shows whether the picture it belongs to follows (see
  // records_bitmap.cpp); otherwise it is drawn as it came.
  struct PendingMask {
    platform::TBitmap mask;  // its own pixels
    uint32_t rop = 0;
    Placement at;
  };
  bool CompletesPendingMask(uint32_t rop, const Placement& at,
                            const platform::TBitmap& picture) const;
  void DrawMaskedPicture(const platform::TBitmap& picture, const Placement& at);
  void ShowThroughStencil(const platform::TBitmap& own, uint32_t rop, const Placement& at);
  void FlushPendingMask();
  void FlushHeldMask();  // FlushPendingMask with the dispatcher's error rule
  Placement BoundsPlacement(const RectL& bounds) const;
  // The bitmap drawn opaque, or through a stencil of the pixels that a mask's
  // raster operation `stencilRop` (SRCAND or SRCPAINT) leaves alone.
  void ShowBitmap(const platform::TBitmap& bitmap, const Placement& at,
                  const platform::TBitmap* stencil = nullptr, uint32_t stencilRop = 0);
  // Shows the bitmap a record draws through `rop`; made(rop) builds it,
  // made(SRCCOPY) gives its own pixels. Masks and their pictures meet here.
  void ShowRasterImage(uint32_t rop, const std::function<platform::TBitmap(uint32_t)>& made,
                       const ImagePlacement& at);
  // The mapped destination rectangle, filled with `fill`.
  DevicePath DestinationPath(int32_t x, int32_t y, int32_t cx, int32_t cy) const;
  void FillDestination(int32_t x, int32_t y, int32_t cx, int32_t cy, const FillStyle& fill);

  const EmfReader& emf_;         // borrowed, outlives the parser
  DrawingDevice* const device_;  // borrowed, outlives the parser
  pdf::TPDFEMFParseOptions options_;
  double fx_ = 0.75;
  double fy_ = 0.75;
  // The frame's top-left corner in form pixels: the picture begins there, so
  // that is where the form's origin lies.
  double originX_ = 0;
  double originY_ = 0;
  // The reference device's resolution, for the fixed metric map modes.
  double pixelsPerMillimetreX_ = 96 / 25.4;
  double pixelsPerMillimetreY_ = 96 / 25.4;

  ShadowDC dc_;
  DrawingState state_;
  std::vector<std::optional<EmwObject>> objects_;
  std::vector<XForm> transformStack_;
  DevicePath path_;  // being built: see the path construction above
  std::optional<PendingMask> pendingMask_;
  // The last bitmap operation was composited (ShowRasterImage).
  bool compositingBlts_ = false;
  // A ROP2 drawing was composited on this page: those that blend modes could
  // draw join it (one image rather than one between each two of them).
  bool compositingRop2_ = false;
  PictureBudget pictureBudget_{emf_.Name()};
  uint64_t clipSerials_ = 0;  // the last serial given to a clip
  static constexpr size_t kClipUnionElements = size_t{1} << 22;
  size_t clipUnionBudget_ = kClipUnionElements;  // path elements clip unions may still copy
  mutable XForm transform_;
  mutable bool transformValid_ = false;
  int droppedRecords_ = 0;
  bool walkCompleted_ = true;
  RecordObserver* observer_ = nullptr;
};

}  // namespace emf2pdf
