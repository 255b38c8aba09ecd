// Path construction: the path is a value in page pixels, handed to the
// device by the record that paints or clips it.
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

void TEMWParser::PathMoveTo(double x, double y) { path_.MoveTo(x, y); }

void TEMWParser::PathLineTo(double x, double y) { path_.LineTo(x, y); }

void TEMWParser::PathCurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  path_.CurveTo(x1, y1, x2, y2, x3, y3);
}

void TEMWParser::PathRectangle(double x1, double y1, double x2, double y2) {
  path_.Rectangle(x1, y1, x2, y2);
}

void TEMWParser::PathEllipse(double x1, double y1, double x2, double y2) {
  path_.Ellipse(x1, y1, x2, y2);
}

void TEMWParser::PathRoundRect(double x1, double y1, double x2, double y2, double w, double h) {
  path_.RoundRect(x1, y1, x2, y2, w, h);
}

void TEMWParser::PathArc(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4, bool closeToStart) {
  path_.Arc(x1, y1, x2, y2, x3, y3, x4, y4, closeToStart);
}

void TEMWParser::PathPie(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4) {
  path_.Pie(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TEMWParser::PathClose() { path_.Close(); }

}  // namespace emf2pdf
