#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "pdf/arc_geometry.h"
#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/page.h"

namespace pdf {

namespace {

// Bezier handle length of a quarter ellipse.
constexpr double kKappa = 0.5522847498;

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

// One content line: the numbers separated by blanks, then the operator. The
// line is built in a reused buffer; this is the hot path of every picture.
double TPDFPage::Operand(double value) const {
  // PDF/A-1 readers need reals within +-32767; only shapes reaching far
  // off the page come near that.
  if (document_.Conformance() != pcPDFA1b) return value;
  return std::clamp(value, -32767.0, 32767.0);
}

void TPDFPage::AppendOperator(const double* values, int count, std::string_view op) {
  thread_local std::string line;
  line.clear();
  for (int i = 0; i < count; ++i) {
    AppendNumber(line, Operand(values[i]));
    line.push_back(' ');
  }
  line.append(op);
  AppendLine(line);
}

// --- Primitives in page space -------------------------------------------------

void TPDFPage::MoveToPt(double x, double y) {
  EndText();
  const double values[] = {x, y};
  AppendOperator(values, 2, "m");
  currentX_ = x;
  currentY_ = y;
}

void TPDFPage::LineToPt(double x, double y) {
  EndText();
  const double values[] = {x, y};
  AppendOperator(values, 2, "l");
  currentX_ = x;
  currentY_ = y;
}

void TPDFPage::CurveToPt(double x1, double y1, double x2, double y2, double x3, double y3) {
  EndText();
  const double values[] = {x1, y1, x2, y2, x3, y3};
  AppendOperator(values, 6, "c");
  currentX_ = x3;
  currentY_ = y3;
}

void TPDFPage::RectanglePt(double x, double y, double w, double h) {
  EndText();
  const double values[] = {x, y, w, h};
  AppendOperator(values, 4, "re");
  currentX_ = x;
  currentY_ = y;
}

// The four factors keep five decimals: a rotation's sine written with two
// would skew and misplace everything drawn in the matrix.
void TPDFPage::ConcatMatrix(double a, double b, double c, double d, double e, double f) {
  EndText();
  const double values[] = {a, b, c, d, e, f};
  std::string line;
  for (int i = 0; i < 6; ++i) {
    AppendNumber(line, Operand(values[i]), i < 4);
    line.push_back(' ');
  }
  line.append("cm");
  AppendLine(line);
  std::copy(values, values + 6, currentMatrix_);
}

void TPDFPage::Translate(double x, double y) { ConcatMatrix(1, 0, 0, 1, x, y); }

void TPDFPage::Rotate(double angle) {
  const double t = Radians(angle);
  const double c = std::cos(t);
  const double s = std::sin(t);
  ConcatMatrix(c, s, -s, c, 0, 0);
}

// --- Construction in device units -------------------------------------------------

void TPDFPage::MoveTo(double x, double y) {
  MoveToPt(ExtX(x), ExtY(y));
  pathOpen_ = true;
}

void TPDFPage::LineTo(double x, double y) {
  LineToPt(ExtX(x), ExtY(y));
  pathOpen_ = true;
}

void TPDFPage::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  CurveToPt(ExtX(x1), ExtY(y1), ExtX(x2), ExtY(y2), ExtX(x3), ExtY(y3));
  pathOpen_ = true;
}

void TPDFPage::Rectangle(double x1, double y1, double x2, double y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const double left = ExtX(x1);
  const double right = ExtX(x2);
  const double top = ExtY(y1);
  const double bottom = ExtY(y2);
  RectanglePt(left, bottom, right - left, top - bottom);
  pathOpen_ = true;
}

void TPDFPage::Ellipse(double x1, double y1, double x2, double y2) {
  const double left = ExtX(x1);
  const double top = ExtY(y1);
  const double right = ExtX(x2);
  const double bottom = ExtY(y2);
  const double cx = (left + right) / 2;
  const double cy = (top + bottom) / 2;
  const double rx = (right - left) / 2;
  const double ry = (bottom - top) / 2;
  const double kx = kKappa * rx;
  const double ky = kKappa * ry;
  MoveToPt(cx + rx, cy);
  CurveToPt(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  CurveToPt(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  CurveToPt(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  CurveToPt(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  pathOpen_ = true;
}

void TPDFPage::RoundRect(double x1, double y1, double x2, double y2, double w, double h) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const double rx = w / 2;
  const double ry = h / 2;
  const double kx = kKappa * rx;
  const double ky = kKappa * ry;
  MoveTo(x1 + rx, y1);
  LineTo(x2 - rx, y1);
  CurveTo(x2 - rx + kx, y1, x2, y1 + ry - ky, x2, y1 + ry);
  LineTo(x2, y2 - ry);
  CurveTo(x2, y2 - ry + ky, x2 - rx + kx, y2, x2 - rx, y2);
  LineTo(x1 + rx, y2);
  CurveTo(x1 + rx - kx, y2, x1, y2 - ry + ky, x1, y2 - ry);
  LineTo(x1, y1 + ry);
  CurveTo(x1, y1 + ry - ky, x1 + rx - kx, y1, x1 + rx, y1);
  ClosePath();
}

namespace {

void DrawArcPath(TPDFPage& page, const TPDFArcGeometry::Path& path) {
  using Kind = TPDFArcGeometry::Kind;
  for (const auto& piece : path.pieces) {
    const auto* p = piece.p;
    switch (piece.kind) {
      case Kind::Move:
        page.MoveToPt(p[0].x, p[0].y);
        break;
      case Kind::Line:
        page.LineToPt(p[0].x, p[0].y);
        break;
      case Kind::Curve:
        page.CurveToPt(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
        break;
    }
  }
}

}  // namespace

TPDFDevicePoint TPDFPage::ArcAngles(double x1, double y1, double x2, double y2, double a5,
                                    double a6) {
  const TPDFArcGeometry arc(ExtX(x1), ExtY(y1), ExtX(x2), ExtY(y2));
  const auto path = arc.ByAngles(Radians(-a6), Radians(-a5));
  DrawArcPath(*this, path);
  pathOpen_ = true;
  return {IntX(path.start.x), IntY(path.start.y)};
}

TPDFDevicePoint TPDFPage::Arc(double x1, double y1, double x2, double y2, double x3, double y3,
                              double x4, double y4) {
  const TPDFArcGeometry arc(ExtX(x1), ExtY(y1), ExtX(x2), ExtY(y2));
  // The arc runs clockwise on the page, so the end radial is where it starts.
  const auto path = arc.ByPoints({ExtX(x4), ExtY(y4)}, {ExtX(x3), ExtY(y3)});
  DrawArcPath(*this, path);
  pathOpen_ = true;
  return {IntX(path.start.x), IntY(path.start.y)};
}

void TPDFPage::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4) {
  const TPDFArcGeometry arc(ExtX(x1), ExtY(y1), ExtX(x2), ExtY(y2));
  const auto path = arc.ByPoints({ExtX(x4), ExtY(y4)}, {ExtX(x3), ExtY(y3)});
  DrawArcPath(*this, path);
  LineToPt(arc.CenterX(), arc.CenterY());
  MoveToPt(path.start.x, path.start.y);
  LineToPt(arc.CenterX(), arc.CenterY());
  // A pie is a path like any other shape: a clip right after it must take.
  pathOpen_ = true;
}

// --- Painting and clipping ---------------------------------------------------------

void TPDFPage::Fill() {
  EndText();
  AppendLine("f");
  pathOpen_ = false;
}

void TPDFPage::EoFill() {
  EndText();
  AppendLine("f*");
  pathOpen_ = false;
}

void TPDFPage::Stroke() {
  EndText();
  AppendLine("S");
  pathOpen_ = false;
}

void TPDFPage::FillAndStroke() {
  EndText();
  AppendLine("B");
  pathOpen_ = false;
}

void TPDFPage::EoFillAndStroke() {
  EndText();
  AppendLine("B*");
  pathOpen_ = false;
}

void TPDFPage::ClosePath() {
  EndText();
  AppendLine("h");
}

// "n" ends the path object, so a later Clip has no path to act on.
void TPDFPage::NewPath() {
  EndText();
  AppendLine("n");
  pathOpen_ = false;
}

// Without a path "W" would clip to whatever the reader considers current,
// so nothing is written.
void TPDFPage::Clip() {
  EndText();
  if (pathOpen_) AppendLine("W");
}

void TPDFPage::EoClip() {
  EndText();
  if (pathOpen_) AppendLine("W*");
}

// --- Graphics state -------------------------------------------------------------------

void TPDFPage::SetLineWidth(double width) {
  EndText();
  const double values[] = {ExtLength(width)};
  AppendOperator(values, 1, "w");
  state_.width = width;
}

void TPDFPage::SetDash(const std::string& pattern) {
  EndText();
  if (pattern == state_.dash) return;
  state_.dash = pattern;
  AppendLine(pattern + " d");
}

void TPDFPage::NoDash() { SetDash("[] 0"); }

void TPDFPage::SetLineCap(int cap) {
  EndText();
  AppendLine(IntToStr(cap) + " J");
  state_.cap = cap;
}

void TPDFPage::SetLineJoin(int join) {
  EndText();
  AppendLine(IntToStr(join) + " j");
  state_.join = join;
}

void TPDFPage::SetRGBFillColor(double r, double g, double b) {
  const double values[] = {r, g, b};
  AppendOperator(values, 3, "rg");
  state_.fill = std::array<double, 3>{r, g, b};
}

void TPDFPage::SetRGBStrokeColor(double r, double g, double b) {
  const double values[] = {r, g, b};
  AppendOperator(values, 3, "RG");
  state_.stroke = std::array<double, 3>{r, g, b};
}

// PDF/A-1 has no blend modes: there the colours are painted as they are.
void TPDFPage::SetDifferenceBlend() {
  if (!document_.AllowsBlendModes()) return;
  EndText();
  usesDifference_ = true;
  AppendLine("/GSDiff gs");
}

void TPDFPage::SetMultiplyBlend() {
  if (!document_.AllowsBlendModes()) return;
  EndText();
  usesMultiply_ = true;
  AppendLine("/GSMul gs");
}

void TPDFPage::SetScreenBlend() {
  if (!document_.AllowsBlendModes()) return;
  EndText();
  usesScreen_ = true;
  AppendLine("/GSScr gs");
}

void TPDFPage::SetFillPattern(TPDFTilingPattern pattern, TPDFDevicePoint origin, double unitX,
                              double unitY) {
  const double values[6] = {unitX / Factor(), 0, 0, -unitY / Factor(), ExtX(origin.x),
                            ExtY(origin.y)};
  std::copy(values, values + 6, pattern.matrix);
  const int index = document_.Patterns().Add(pattern);
  if (std::find(usedPatterns_.begin(), usedPatterns_.end(), index) == usedPatterns_.end())
    usedPatterns_.push_back(index);
  std::string line = "/Pattern cs /P";
  AppendInteger(line, index);
  line += " scn";
  AppendLine(line);
  state_.fill.reset();
}

void TPDFPage::SetRGBColor(double r, double g, double b) {
  SetRGBFillColor(r, g, b);
  SetRGBStrokeColor(r, g, b);
}

}  // namespace pdf
