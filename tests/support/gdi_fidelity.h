#pragma once
// Our rendering of a converted picture scored against a reference image of
// the same picture drawn by GDI, with the measures of the GDI oracle's
// compare.py: grey levels, a 5 x 5 box blur for the bad-pixel share, ink
// (grey below 200) matched within 2 pixels.
#include <optional>
#include <string>
#include <vector>

namespace gdi_test {

struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<double> grey;  // top-down rows, 0..255
};

struct Fidelity {
  double bad = 1;        // share of clearly different pixels
  double recall = 0;     // share of the reference's ink we draw too
  double precision = 0;  // share of our ink the reference has too
};

std::optional<GreyImage> ReadPngGrey(const std::string& path);
// Page 1 of a PDF converted by emw_test::ConvertPages (A4, 5 mm margins,
// the picture stretched into them), cut to the margins and averaged down to
// width x height.
std::optional<GreyImage> RenderPicture(const std::string& pdf, int width, int height);
Fidelity Score(const GreyImage& reference, const GreyImage& candidate);

}  // namespace gdi_test
