// Coordinate conversion of the interpreter.
#include <cmath>
#include <numbers>

#include "emf2pdf/default_palette.h"
#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

namespace {

// Page pixels beyond this are no drawing anyone meant; the record that makes
// them is dropped rather than writing absurd numbers.
constexpr double kCoordinateLimit = 2147483647.0;

double Checked(double value) {
  if (!std::isfinite(value) || std::fabs(value) > kCoordinateLimit)
    throw MalformedRecord("coordinate out of range");
  return value;
}

double Divide(double value, double divisor) {
  if (divisor == 0) throw MalformedRecord("zero extent or scaling denominator");
  return value / divisor;
}

bool ScalesByExtents(uint32_t mapMode) {
  return mapMode == emr::MM_ISOTROPIC || mapMode == emr::MM_ANISOTROPIC;
}

// Millimetres per logical unit of the fixed metric modes, 0 for the others.
double MetricUnit(uint32_t mapMode) {
  switch (mapMode) {
    case emr::MM_LOMETRIC:
      return 0.1;
    case emr::MM_HIMETRIC:
      return 0.01;
    case emr::MM_LOENGLISH:
      return 0.254;
    case emr::MM_HIENGLISH:
      return 0.0254;
    case emr::MM_TWIPS:
      return 25.4 / 1440;
    default:
      return 0;
  }
}

}  // namespace

// Device pixels per logical unit in a fixed metric mode, from the reference
// device's size in pixels and millimetres as GDI takes them; y runs upwards
// in all of these modes. 0 in every other mode.
double TEMWParser::MetricScaleX() const {
  return MetricUnit(dc_.Current().mapMode) * pixelsPerMillimetreX_;
}

double TEMWParser::MetricScaleY() const {
  return -MetricUnit(dc_.Current().mapMode) * pixelsPerMillimetreY_;
}

// Page space -> device units: the window/viewport mapping of the map mode,
// one scale and offset per axis.
XForm TEMWParser::PageMapping() const {
  const ShadowDC::Values& dc = dc_.Current();
  double sx = 1, sy = 1;
  if (ScalesByExtents(dc.mapMode)) {
    sx = Divide(dc.viewportExt.cx, dc.windowExt.cx);
    sy = Divide(dc.viewportExt.cy, dc.windowExt.cy);
  } else if (MetricScaleX() != 0) {
    sx = MetricScaleX();
    sy = MetricScaleY();
  }
  XForm m;
  m.eM11 = sx;
  m.eM22 = sy;
  m.eDx = dc.viewportOrg.x - dc.windowOrg.x * sx;
  m.eDy = dc.viewportOrg.y - dc.windowOrg.y * sy;
  return m;
}

// As GDI maps: the world transform first (world -> page space), then the
// window/viewport mapping (page space -> device units).
XForm TEMWParser::LogicalToDevice() const { return Multiply(state_.world, PageMapping()); }

// Logical -> page pixels, worked out once per record.
const XForm& TEMWParser::Transform() const {
  if (!transformValid_) {
    XForm device;
    device.eM11 = fx_;
    device.eM22 = fy_;
    device.eDx = -originX_;
    device.eDy = -originY_;
    transform_ = Multiply(LogicalToDevice(), device);
    for (double v : {transform_.eM11, transform_.eM12, transform_.eM21, transform_.eM22,
                     transform_.eDx, transform_.eDy})
      Checked(v);
    transformValid_ = true;
  }
  return transform_;
}

bool TEMWParser::AxisAligned() const {
  const XForm& t = Transform();
  return t.eM12 == 0 && t.eM21 == 0;
}

DevicePoint TEMWParser::MapPoint(double x, double y) const {
  const XForm& t = Transform();
  return {Checked(x * t.eM11 + y * t.eM21 + t.eDx), Checked(x * t.eM12 + y * t.eM22 + t.eDy)};
}

DevicePoint TEMWParser::Map(const PointL& p) const { return MapPoint(p.x, p.y); }

double TEMWParser::DeviceX(double x) const { return Checked(x * fx_ - originX_); }
double TEMWParser::DeviceY(double y) const { return Checked(y * fy_ - originY_); }

// Device units per logical unit along x, whatever the rotation: the length
// a geometric pen's width takes on the device.
double TEMWParser::PenScale() const {
  const XForm m = LogicalToDevice();
  return Checked(std::hypot(m.eM11, m.eM12));
}

// Device units per logical unit along y, for font heights.
double TEMWParser::FontScale() const {
  const XForm m = LogicalToDevice();
  return Checked(std::hypot(m.eM21, m.eM22));
}

// The page angle (degrees, counter-clockwise) of a logical direction given
// counter-clockwise in tenths of a degree, as the transform turns it.
double TEMWParser::PageAngle(double tenths) const {
  const double a = tenths * std::numbers::pi / 1800;
  const XForm& t = Transform();
  const double dx = std::cos(a) * t.eM11 - std::sin(a) * t.eM21;
  const double dy = std::cos(a) * t.eM12 - std::sin(a) * t.eM22;
  if (dx == 0 && dy == 0) return tenths / 10;
  const double degrees = std::atan2(-dy, dx) * 180 / std::numbers::pi;
  return std::fabs(degrees) < 1e-9 ? 0 : degrees;
}

double TEMWParser::LengthX(double length) const {
  return Checked(length * std::fabs(Transform().eM11));
}

double TEMWParser::LengthY(double length) const {
  return Checked(length * std::fabs(Transform().eM22));
}

uint32_t TEMWParser::ResolvePalette(uint32_t color) {
  if (color >= 0x01000000u && color <= 0x01000013u) return DefaultPaletteColor(color & 0xFF);
  return color;
}

}  // namespace emf2pdf
