// Smooth shadings: axial (ShadingType 2) and free-form Gouraud triangles
// (ShadingType 4), each a resource of the page or form that paints it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "pdf/deflate.h"
#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"

namespace pdf {

namespace {

void AppendColor(std::string& out, const TPDFShadedVertex& v) {
  out += '[';
  for (double c : {v.r, v.g, v.b}) {
    AppendNumber(out, std::clamp(c, 0.0, 1.0), true);
    out += ' ';
  }
  out.back() = ']';
}

void AppendBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

}  // namespace

void TPDFPage::PaintShading(std::string dictionary, std::string stream) {
  EndText();
  const std::string name = "Sh" + IntToStr(static_cast<int64_t>(shadings_.size()));
  shadings_.push_back({std::move(dictionary), std::move(stream), 0});
  AppendLine("/" + name + " sh");
}

void TPDFPage::ShadeAxial(const TPDFShadedVertex& from, const TPDFShadedVertex& to) {
  const double coords[4] = {ExtX(from.x), ExtY(from.y), ExtX(to.x), ExtY(to.y)};
  for (double c : coords)
    if (!std::isfinite(c)) throw TPDFException(msg::kOutOfRange);
  std::string d = "/ShadingType 2 /ColorSpace /DeviceRGB /Coords [";
  for (double c : coords) {
    AppendNumber(d, c, true);
    d += ' ';
  }
  d.back() = ']';
  d += " /Extend [true true] /Function << /FunctionType 2 /Domain [0 1] /C0 ";
  AppendColor(d, from);
  d += " /C1 ";
  AppendColor(d, to);
  d += " /N 1 >>";
  PaintShading(std::move(d), std::string());
}

// Coordinates as 32-bit fractions of the triangles' bounds, colours as
// bytes; every vertex starts a new triangle or continues the one begun.
void TPDFPage::ShadeTriangles(std::span<const TPDFShadedVertex> vertices) {
  const size_t count = vertices.size() - vertices.size() % 3;
  if (count == 0) return;
  std::vector<double> xs, ys;
  xs.reserve(count);
  ys.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    xs.push_back(ExtX(vertices[i].x));
    ys.push_back(ExtY(vertices[i].y));
    if (!std::isfinite(xs.back()) || !std::isfinite(ys.back()))
      throw TPDFException(msg::kOutOfRange);
  }
  const auto [xMin, xMax] = std::minmax_element(xs.begin(), xs.end());
  const auto [yMin, yMax] = std::minmax_element(ys.begin(), ys.end());
  const double x0 = *xMin, y0 = *yMin;
  const double x1 = *xMax > x0 ? *xMax : x0 + 1, y1 = *yMax > y0 ? *yMax : y0 + 1;
  constexpr double kFull = std::numeric_limits<uint32_t>::max();
  auto fraction = [&](double v, double lo, double hi) {
    return static_cast<uint32_t>(std::lround(std::clamp((v - lo) / (hi - lo), 0.0, 1.0) * kFull));
  };
  std::string data;
  data.reserve(count * 12);
  for (size_t i = 0; i < count; ++i) {
    data += '\0';
    AppendBigEndian(data, fraction(xs[i], x0, x1));
    AppendBigEndian(data, fraction(ys[i], y0, y1));
    for (double c : {vertices[i].r, vertices[i].g, vertices[i].b})
      data += static_cast<char>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
  }
  std::string d =
      "/ShadingType 4 /ColorSpace /DeviceRGB /BitsPerCoordinate 32 /BitsPerComponent 8 "
      "/BitsPerFlag 8 /Decode [";
  for (double v : {x0, x1, y0, y1}) {
    AppendNumber(d, v, true);
    d += ' ';
  }
  d += "0 1 0 1 0 1]";
  PaintShading(std::move(d), std::move(data));
}

void TPDFPage::WriteShadings() {
  const bool deflate = document_.Compression() == ctFlate;
  for (Shading& shading : shadings_) {
    document_.BeginObject(shading.number);
    document_.WriteLine(shading.dictionary);
    if (shading.stream.empty()) {
      document_.EndDictionary();
      document_.EndObject();
      continue;
    }
    document_.WriteDeflatedStreamLater(std::move(shading.stream), deflate, kDeflateLevel,
                                       shading.number);
  }
}

void TPDFPage::WriteShadingResources() {
  if (shadings_.empty()) return;
  std::string line = " /Shading <<";
  for (size_t i = 0; i < shadings_.size(); ++i) {
    line += " /Sh";
    AppendInteger(line, static_cast<int64_t>(i));
    line += ' ';
    AppendInteger(line, shadings_[i].number);
    line += " 0 R";
  }
  line += " >>";
  document_.WriteLine(line);
}

}  // namespace pdf
