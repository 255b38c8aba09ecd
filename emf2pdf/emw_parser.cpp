#include "emf2pdf/emw_parser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "emf2pdf/emf_records.h"
#include "platform/raster_ops.h"

namespace emf2pdf {

using namespace emr;

// One line per record type the interpreter plays. The minimum size is that
// of the record's fixed part (type and size included); a shorter record is
// dropped before its handler sees it. Types not listed draw nothing.
const TEMWParser::RecordEntry TEMWParser::kRecords[] = {
    {EMR_HEADER, "HEADER", 8, &TEMWParser::OnNothing},
    {EMR_POLYBEZIER, "POLYBEZIER", 28, &TEMWParser::OnPolyBezier},
    {EMR_POLYGON, "POLYGON", 28, &TEMWParser::OnPolygon},
    {EMR_POLYLINE, "POLYLINE", 28, &TEMWParser::OnPolyline},
    {EMR_POLYBEZIERTO, "POLYBEZIERTO", 28, &TEMWParser::OnPolyBezierTo},
    {EMR_POLYLINETO, "POLYLINETO", 28, &TEMWParser::OnPolylineTo},
    {EMR_POLYPOLYLINE, "POLYPOLYLINE", 32, &TEMWParser::OnPolyPolyline},
    {EMR_POLYPOLYGON, "POLYPOLYGON", 32, &TEMWParser::OnPolyPolygon},
    {EMR_SETWINDOWEXTEX, "SETWINDOWEXTEX", 16, &TEMWParser::OnSetWindowExtEx},
    {EMR_SETWINDOWORGEX, "SETWINDOWORGEX", 16, &TEMWParser::OnSetWindowOrgEx},
    {EMR_SETVIEWPORTEXTEX, "SETVIEWPORTEXTEX", 16, &TEMWParser::OnSetViewportExtEx},
    {EMR_SETVIEWPORTORGEX, "SETVIEWPORTORGEX", 16, &TEMWParser::OnSetViewportOrgEx},
    {EMR_SETPIXELV, "SETPIXELV", 20, &TEMWParser::OnSetPixelV},
    {EMR_SETMAPMODE, "SETMAPMODE", 12, &TEMWParser::OnSetMapMode},
    {EMR_SETBKMODE, "SETBKMODE", 12, &TEMWParser::OnSetBkMode},
    {EMR_SETROP2, "SETROP2", 12, &TEMWParser::OnSetRop2},
    {EMR_SETPOLYFILLMODE, "SETPOLYFILLMODE", 12, &TEMWParser::OnSetPolyFillMode},
    {EMR_SETSTRETCHBLTMODE, "SETSTRETCHBLTMODE", 12, &TEMWParser::OnSetStretchBltMode},
    {EMR_SETTEXTALIGN, "SETTEXTALIGN", 12, &TEMWParser::OnSetTextAlign},
    {EMR_SETTEXTCOLOR, "SETTEXTCOLOR", 12, &TEMWParser::OnSetTextColor},
    {EMR_SETBKCOLOR, "SETBKCOLOR", 12, &TEMWParser::OnSetBkColor},
    {EMR_MOVETOEX, "MOVETOEX", 16, &TEMWParser::OnMoveToEx},
    {EMR_OFFSETCLIPRGN, "OFFSETCLIPRGN", 16, &TEMWParser::OnOffsetClipRgn},
    {EMR_EXCLUDECLIPRECT, "EXCLUDECLIPRECT", 24, &TEMWParser::OnExcludeClipRect},
    {EMR_INTERSECTCLIPRECT, "INTERSECTCLIPRECT", 24, &TEMWParser::OnIntersectClipRect},
    {EMR_SCALEVIEWPORTEXTEX, "SCALEVIEWPORTEXTEX", 24, &TEMWParser::OnScaleViewportExtEx},
    {EMR_SCALEWINDOWEXTEX, "SCALEWINDOWEXTEX", 24, &TEMWParser::OnScaleWindowExtEx},
    {EMR_SAVEDC, "SAVEDC", 8, &TEMWParser::OnSaveDC},
    {EMR_RESTOREDC, "RESTOREDC", 12, &TEMWParser::OnRestoreDC},
    {EMR_SETWORLDTRANSFORM, "SETWORLDTRANSFORM", 32, &TEMWParser::OnSetWorldTransform},
    {EMR_MODIFYWORLDTRANSFORM, "MODIFYWORLDTRANSFORM", 36, &TEMWParser::OnModifyWorldTransform},
    {EMR_SELECTOBJECT, "SELECTOBJECT", 12, &TEMWParser::OnSelectObject},
    {EMR_CREATEPEN, "CREATEPEN", 28, &TEMWParser::OnCreatePen},
    {EMR_CREATEBRUSHINDIRECT, "CREATEBRUSHINDIRECT", 24, &TEMWParser::OnCreateBrushIndirect},
    {EMR_DELETEOBJECT, "DELETEOBJECT", 12, &TEMWParser::OnDeleteObject},
    {EMR_ANGLEARC, "ANGLEARC", 28, &TEMWParser::OnAngleArc},
    {EMR_ELLIPSE, "ELLIPSE", 24, &TEMWParser::OnEllipse},
    {EMR_RECTANGLE, "RECTANGLE", 24, &TEMWParser::OnRectangle},
    {EMR_ROUNDRECT, "ROUNDRECT", 32, &TEMWParser::OnRoundRect},
    {EMR_ARC, "ARC", 40, &TEMWParser::OnArc},
    {EMR_CHORD, "CHORD", 40, &TEMWParser::OnChord},
    {EMR_PIE, "PIE", 40, &TEMWParser::OnPie},
    {EMR_LINETO, "LINETO", 16, &TEMWParser::OnLineTo},
    {EMR_ARCTO, "ARCTO", 40, &TEMWParser::OnArcTo},
    {EMR_POLYDRAW, "POLYDRAW", 28, &TEMWParser::OnPolyDraw},
    {EMR_SETARCDIRECTION, "SETARCDIRECTION", 12, &TEMWParser::OnSetArcDirection},
    {EMR_SETMITERLIMIT, "SETMITERLIMIT", 12, &TEMWParser::OnNothing},
    {EMR_BEGINPATH, "BEGINPATH", 8, &TEMWParser::OnBeginPath},
    {EMR_ENDPATH, "ENDPATH", 8, &TEMWParser::OnEndPath},
    {EMR_CLOSEFIGURE, "CLOSEFIGURE", 8, &TEMWParser::OnCloseFigure},
    {EMR_FILLPATH, "FILLPATH", 8, &TEMWParser::OnFillPath},
    {EMR_STROKEANDFILLPATH, "STROKEANDFILLPATH", 8, &TEMWParser::OnStrokeAndFillPath},
    {EMR_STROKEPATH, "STROKEPATH", 8, &TEMWParser::OnStrokePath},
    {EMR_SELECTCLIPPATH, "SELECTCLIPPATH", 8, &TEMWParser::OnSelectClipPath},
    {EMR_ABORTPATH, "ABORTPATH", 8, &TEMWParser::OnAbortPath},
    {EMR_FILLRGN, "FILLRGN", 32, &TEMWParser::OnFillRgn},
    {EMR_EXTSELECTCLIPRGN, "EXTSELECTCLIPRGN", 16, &TEMWParser::OnExtSelectClipRgn},
    {EMR_BITBLT, "BITBLT", 8, &TEMWParser::OnBitBlt},
    {EMR_STRETCHBLT, "STRETCHBLT", 8, &TEMWParser::OnStretchBlt},
    {EMR_MASKBLT, "MASKBLT", 8, &TEMWParser::OnMaskBlt},
    {EMR_SETDIBITSTODEVICE, "SETDIBITSTODEVICE", 8, &TEMWParser::OnSetDIBitsToDevice},
    {EMR_STRETCHDIBITS, "STRETCHDIBITS", 8, &TEMWParser::OnStretchDIBits},
    {EMR_EXTCREATEFONTINDIRECTW, "EXTCREATEFONTINDIRECTW", 104,
     &TEMWParser::OnExtCreateFontIndirectW},
    {EMR_EXTTEXTOUTA, "EXTTEXTOUTA", 8, &TEMWParser::OnExtTextOutA},
    {EMR_EXTTEXTOUTW, "EXTTEXTOUTW", 8, &TEMWParser::OnExtTextOutW},
    {EMR_POLYTEXTOUTA, "POLYTEXTOUTA", 8, &TEMWParser::OnPolyTextOutA},
    {EMR_POLYTEXTOUTW, "POLYTEXTOUTW", 8, &TEMWParser::OnPolyTextOutW},
    {EMR_POLYBEZIER16, "POLYBEZIER16", 28, &TEMWParser::OnPolyBezier16},
    {EMR_POLYGON16, "POLYGON16", 28, &TEMWParser::OnPolygon16},
    {EMR_POLYLINE16, "POLYLINE16", 28, &TEMWParser::OnPolyline16},
    {EMR_POLYBEZIERTO16, "POLYBEZIERTO16", 28, &TEMWParser::OnPolyBezierTo16},
    {EMR_POLYLINETO16, "POLYLINETO16", 28, &TEMWParser::OnPolylineTo16},
    {EMR_POLYPOLYLINE16, "POLYPOLYLINE16", 32, &TEMWParser::OnPolyPolyline16},
    {EMR_POLYPOLYGON16, "POLYPOLYGON16", 32, &TEMWParser::OnPolyPolygon16},
    {EMR_POLYDRAW16, "POLYDRAW16", 28, &TEMWParser::OnPolyDraw16},
    {EMR_EXTCREATEPEN, "EXTCREATEPEN", 52, &TEMWParser::OnExtCreatePen},
    {EMR_SMALLTEXTOUT, "SMALLTEXTOUT", 8, &TEMWParser::OnSmallTextOut},
    {EMR_PLGBLT, "PLGBLT", 140, &TEMWParser::OnPlgBlt},
    {EMR_CREATEMONOBRUSH, "CREATEMONOBRUSH", 32, &TEMWParser::OnCreateMonoBrush},
    {EMR_CREATEDIBPATTERNBRUSHPT, "CREATEDIBPATTERNBRUSHPT", 32,
     &TEMWParser::OnCreateDibPatternBrush},
    {EMR_ALPHABLEND, "ALPHABLEND", 8, &TEMWParser::OnAlphaBlend},
    {EMR_GRADIENTFILL, "GRADIENTFILL", 36, &TEMWParser::OnGradientFill},
    {EMR_TRANSPARENTBLT, "TRANSPARENTBLT", 8, &TEMWParser::OnTransparentBlt},
    {EMR_SETTEXTJUSTIFICATION, "SETTEXTJUSTIFICATION", 8, &TEMWParser::OnNothing},
};

namespace {

constexpr size_t kTypeLimit = 128;

// Halves to even; the extent of a picture cannot exceed the int range.
double RoundExtent(double value) {
  if (!std::isfinite(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded > 2147483646.0) return 2147483646.0;
  if (rounded < -2147483647.0) return -2147483647.0;
  return rounded;
}

}  // namespace

namespace {

// Records after which a held-back mask may still meet its picture: the
// bitmap records (which draw the mask themselves when the picture does not
// follow) and comments, which draw nothing.
bool MayShowPicture(uint32_t type) {
  return type == emr::EMR_STRETCHDIBITS || type == emr::EMR_BITBLT || type == emr::EMR_STRETCHBLT ||
         type == emr::EMR_MASKBLT || type == emr::EMR_GDICOMMENT;
}

}  // namespace

const TEMWParser::RecordEntry* TEMWParser::FindEntry(uint32_t type) {
  static const std::array<const RecordEntry*, kTypeLimit> table = [] {
    std::array<const RecordEntry*, kTypeLimit> t{};
    for (const RecordEntry& entry : kRecords) t[entry.type] = &entry;
    return t;
  }();
  return type < kTypeLimit ? table[type] : nullptr;
}

namespace {

double ConversionFactor(double resolution, int pixelsPerInch) {
  return (resolution > 0 ? resolution : 72) / (pixelsPerInch > 0 ? pixelsPerInch : 96);
}

// Pixels per millimetre of the reference device; a header without a usable
// size stands for a 96 dpi device.
double DeviceResolution(int32_t pixels, int32_t millimetres) {
  if (pixels <= 0 || millimetres <= 0) return 96 / 25.4;
  return static_cast<double>(pixels) / millimetres;
}

double FrameLeft(const EmfHeader& header) {
  return FramePixels(header.rclFrame.left, header.szlDevice.cx, header.szlMillimeters.cx);
}

double FrameTop(const EmfHeader& header) {
  return FramePixels(header.rclFrame.top, header.szlDevice.cy, header.szlMillimeters.cy);
}

}  // namespace

// The bounds claim what the records draw, but Windows plays a picture by
// its frame and cuts nothing: recorders leave the bounds empty (0,0,0,0 or
// 0,0,-1,-1) or short of an opaque background. The extent covers both;
// the frame's far edge lies past its last pixel, as the bounds' does not.
PictureExtent MeasurePicture(const EmfHeader& header, const PlaySettings& settings) {
  const double fx = ConversionFactor(settings.resolution, settings.options.ReferencePixelsPerInchX);
  const double fy = ConversionFactor(settings.resolution, settings.options.ReferencePixelsPerInchY);
  const RectL& bounds = header.rclBounds;
  const double right = std::max<double>(
      bounds.right,
      FramePixels(header.rclFrame.right, header.szlDevice.cx, header.szlMillimeters.cx) - 1);
  const double bottom = std::max<double>(
      bounds.bottom,
      FramePixels(header.rclFrame.bottom, header.szlDevice.cy, header.szlMillimeters.cy) - 1);
  PictureExtent extent;
  extent.width = RoundExtent((right - FrameLeft(header)) * fx) + 1;
  extent.height = RoundExtent((bottom - FrameTop(header)) * fy) + 1;
  return extent;
}

TEMWParser::TEMWParser(const EmfReader& emf, DrawingDevice& device, const PlaySettings& settings)
    : emf_(emf), device_(&device), options_(settings.options) {
  fx_ = ConversionFactor(settings.resolution, options_.ReferencePixelsPerInchX);
  fy_ = ConversionFactor(settings.resolution, options_.ReferencePixelsPerInchY);
  const EmfHeader& header = emf_.Header();
  // The frame's top-left corner in pixels of the recording device. Windows
  // plays a picture by its frame, so the frame's corner, not the device's
  // origin, lands at the corner of the area the picture is given.
  originX_ = FrameLeft(header) * fx_;
  originY_ = FrameTop(header) * fy_;
  pixelsPerMillimetreX_ = DeviceResolution(header.szlDevice.cx, header.szlMillimeters.cx);
  pixelsPerMillimetreY_ = DeviceResolution(header.szlDevice.cy, header.szlMillimeters.cy);
  extent_ = MeasurePicture(header, settings);
}

TEMWParser::~TEMWParser() = default;

// Inversions paint in the Difference blend mode, which inverts only what
// the page holds: blank paper is nothing to PDF (nor does Screen lighten it).
// A picture that inverts gets its paper painted first.
bool TEMWParser::InvertsDestination() const {
  bool inverts = false;
  auto u32 = [](const uint8_t* b) {
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
  };
  emf_.Walk([&](const EmfRecord& record) {
    const size_t size = record.bytes.size();
    if (record.type == EMR_SETROP2 && size >= 12) {
      const uint32_t rop2 = u32(record.bytes.data() + 8);
      if (rop2 == R2_XORPEN || rop2 == R2_MERGEPEN || rop2 == R2_NOT) inverts = true;
    }
    if ((record.type != EMR_BITBLT && record.type != EMR_STRETCHBLT) || size < 44) return;
    const uint32_t rop = u32(record.bytes.data() + 40);
    if (rop == platform::DSTINVERT || rop == platform::PATINVERT) inverts = true;
  });
  return inverts;
}

void TEMWParser::PaintPaper() {
  DevicePath paper;
  paper.Rectangle(0, 0, extent_.width, extent_.height);
  const FillStyle white = SolidFill(0xFFFFFF);
  device_->DrawPath(paper, &white, nullptr);
}

void TEMWParser::ResetState() {
  dc_ = ShadowDC();
  state_ = DrawingState();
  state_.font = dc_.Current().font.font;
  transformStack_.clear();
  path_.Clear();
  penStroke_.reset();
  clipSerials_ = 0;
  clipUnionBudget_ = kClipUnionElements;
}

void TEMWParser::Play() {
  objects_.assign(emf_.Header().nHandles, std::nullopt);
  ResetState();
  // The default pen is one pixel wide: the page's own default width would
  // be a point scaled with the form.
  StrokeStyle pen;
  pen.width = state_.penWidth * fx_;
  pen.cap = options_.LineCap;
  pen.join = options_.LineJoin;
  device_->Begin(pen);

  if (InvertsDestination()) PaintPaper();
  size_t reached = 0;  // where the record after the last one played begins
  walkCompleted_ = emf_.Walk([this, &reached](const EmfRecord& record) {
    reached = record.offset + record.bytes.size();
    Dispatch(record);
  });
  if (!walkCompleted_) ReportBrokenRecord(reached);
  FlushHeldMask();
  device_->End();

  path_.Clear();
  objects_.clear();
  transformStack_.clear();
}

namespace {

// Records whose change of the pen or the mapping changes how the pen draws.
bool ChangesPenStroke(uint32_t type) {
  switch (type) {
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETMAPMODE:
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM:
    case EMR_SELECTOBJECT:
    case EMR_RESTOREDC:
    case EMR_SETROP2:
      return true;
    default:
      return false;
  }
}

// Records that take up the path a bracket left (or end it).
bool UsesClosedPath(uint32_t type) {
  switch (type) {
    case EMR_BEGINPATH:
    case EMR_ABORTPATH:
    case EMR_CLOSEFIGURE:
    case EMR_FILLPATH:
    case EMR_STROKEPATH:
    case EMR_STROKEANDFILLPATH:
    case EMR_FLATTENPATH:
    case EMR_WIDENPATH:
    case EMR_SELECTCLIPPATH:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TEMWParser::Dispatch(const EmfRecord& record) {
  // A held-back mask is drawn before anything else happens, unless this
  // record may be its picture (or is a comment, which draws nothing).
  if (pendingMask_ && !MayShowPicture(record.type)) FlushHeldMask();
  if (observer_ == nullptr) {
    PlayRecord(record);
    return;
  }
  observer_->RecordStarts(record.offset, record.type);
  observer_->RecordEnds(PlayRecord(record));
}

RecordOutcome TEMWParser::PlayRecord(const EmfRecord& record) {
  using Kind = RecordOutcome::Kind;
  const uint32_t type = record.type;
  const RecordEntry* entry = FindEntry(type);
  if (entry == nullptr) return {IgnoredByDesign(type) ? Kind::kIgnored : Kind::kUnsupported, {}};
  if (record.bytes.size() < entry->minimumSize) {
    ++droppedRecords_;
    RecordOutcome outcome{Kind::kMalformed, {}};
    if (observer_ != nullptr)
      outcome.detail = std::to_string(record.bytes.size()) + " bytes, at least " +
                       std::to_string(entry->minimumSize) + " needed";
    return outcome;
  }
  RecordReader in(record.bytes);
  transformValid_ = false;
  if (ChangesPenStroke(type)) penStroke_.reset();
  // The path a bracket left waits for the record that paints or clips with
  // it; shapes drawn meanwhile draw paths of their own.
  DevicePath closed;
  const bool keepsClosed = !state_.pathBracket && !path_.Empty() && !UsesClosedPath(type);
  if (keepsClosed) std::swap(closed, path_);
  const size_t pathSize = path_.Size();
  const int refused = pictureBudget_.Refused();
  RecordOutcome outcome;
  try {
    (this->*entry->handler)(in);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    // One bad record costs only itself: what it drew before failing stays,
    // what it added to the path goes.
    path_.Truncate(pathSize);
    ++droppedRecords_;
    outcome.kind = Kind::kMalformed;
    if (observer_ != nullptr) outcome.detail = error.what();
  }
  if (keepsClosed) path_ = std::move(closed);
  if (outcome.kind == Kind::kPlayed && pictureBudget_.Refused() != refused)
    outcome.kind = Kind::kOverBudget;
  return outcome;
}

// The walk stops at a record whose size cannot be right; the trace shows
// where.
void TEMWParser::ReportBrokenRecord(size_t offset) const {
  if (observer_ == nullptr) return;
  const std::span<const uint8_t> bytes = emf_.Bytes();
  uint32_t type = 0;
  if (bytes.size() >= offset + 4)
    type = bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
  observer_->RecordStarts(offset, type);
  observer_->RecordEnds({RecordOutcome::Kind::kMalformed,
                         "its size does not fit the file; the records from here on are not read"});
}

void TEMWParser::FlushHeldMask() {
  try {
    FlushPendingMask();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // The mask's record is dropped as it would have been when it came.
    ++droppedRecords_;
  }
}

}  // namespace emf2pdf
