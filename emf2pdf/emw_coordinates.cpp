// Coordinate conversion and colour output of the interpreter.
#include <cmath>

#include "emf2pdf/default_palette.h"
#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/page.h"

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

double TEMWParser::MapX(double x) const {
  const ShadowDC::Values& dc = dc_.Current();
  double v = x;
  if (state_.windowScaling) v = Divide(v * state_.wxDenom, state_.wxNum);
  if (ScalesByExtents(dc.mapMode))
    v = Divide((v - dc.windowOrg.x) * dc.viewportExt.cx, dc.windowExt.cx) + dc.viewportOrg.x;
  else if (const double metric = MetricScaleX(); metric != 0)
    v = (v - dc.windowOrg.x) * metric + dc.viewportOrg.x;
  else
    v = v - dc.windowOrg.x + dc.viewportOrg.x;
  if (state_.viewportScaling) v = Divide(v * state_.vxNum, state_.vxDenom);
  return Checked(v * state_.world.eM11 * fx_ + state_.world.eDx * fx_ - originX_);
}

double TEMWParser::MapY(double y) const {
  const ShadowDC::Values& dc = dc_.Current();
  double v = y;
  if (state_.windowScaling) v = Divide(v * state_.wyDenom, state_.wyNum);
  if (ScalesByExtents(dc.mapMode))
    v = Divide((v - dc.windowOrg.y) * dc.viewportExt.cy, dc.windowExt.cy) + dc.viewportOrg.y;
  else if (const double metric = MetricScaleY(); metric != 0)
    v = (v - dc.windowOrg.y) * metric + dc.viewportOrg.y;
  else
    v = v - dc.windowOrg.y + dc.viewportOrg.y;
  if (state_.viewportScaling) v = Divide(v * state_.vyNum, state_.vyDenom);
  return Checked(v * state_.world.eM22 * fy_ + state_.world.eDy * fy_ - originY_);
}

pdf::TPDFDevicePoint TEMWParser::Map(const PointL& p) const { return {MapX(p.x), MapY(p.y)}; }

double TEMWParser::DeviceX(double x) const { return Checked(x * fx_ - originX_); }
double TEMWParser::DeviceY(double y) const { return Checked(y * fy_ - originY_); }

double TEMWParser::MapScaleX() const {
  const ShadowDC::Values& dc = dc_.Current();
  if (dc.mapMode == emr::MM_TEXT) return 1;
  if (const double metric = MetricScaleX(); metric != 0) return std::fabs(metric);
  return std::fabs(Divide(dc.viewportExt.cx, dc.windowExt.cx));
}

double TEMWParser::MapScaleY() const {
  const ShadowDC::Values& dc = dc_.Current();
  if (dc.mapMode == emr::MM_TEXT) return 1;
  if (const double metric = MetricScaleY(); metric != 0) return std::fabs(metric);
  return std::fabs(Divide(dc.viewportExt.cy, dc.windowExt.cy));
}

double TEMWParser::LengthX(double length) const {
  return Checked(length * MapScaleX() * std::fabs(state_.world.eM11) * fx_);
}

double TEMWParser::LengthY(double length) const {
  return Checked(length * MapScaleY() * std::fabs(state_.world.eM22) * fy_);
}

uint32_t TEMWParser::ResolvePalette(uint32_t color) {
  if (color >= 0x01000000u && color <= 0x01000013u) return DefaultPaletteColor(color & 0xFF);
  return color;
}

namespace {

double Red(uint32_t c) { return (c & 0xFF) / 255.0; }
double Green(uint32_t c) { return ((c >> 8) & 0xFF) / 255.0; }
double Blue(uint32_t c) { return ((c >> 16) & 0xFF) / 255.0; }

}  // namespace

void TEMWParser::WriteFillColor(uint32_t color) {
  state_.fillColorCache = color;
  page_->SetRGBFillColor(Red(color), Green(color), Blue(color));
}

void TEMWParser::WriteStrokeColor(uint32_t color) {
  page_->SetRGBStrokeColor(Red(color), Green(color), Blue(color));
}

void TEMWParser::WriteBrushFillIfChanged() {
  state_.brushColor = ResolvePalette(state_.brushColor);
  if (state_.brushColor != state_.fillColorCache) WriteFillColor(state_.brushColor);
}

void TEMWParser::WriteTextFillColor() {
  const uint32_t color = dc_.Current().textColor;
  if (color != state_.fillColorCache || state_.stateDirty) WriteFillColor(color);
}

void TEMWParser::WriteBackgroundFillColor() {
  const uint32_t color = dc_.Current().bkColor;
  if (color != state_.fillColorCache) WriteFillColor(color);
}

void TEMWParser::EndTextColorMode() {
  state_.textColorMode = false;
  WriteBrushFillIfChanged();
}

void TEMWParser::WriteLineWidth() { page_->SetLineWidth(Checked(state_.penWidth * fx_)); }

}  // namespace emf2pdf
