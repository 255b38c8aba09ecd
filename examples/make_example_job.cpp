// Writes the example print job: examples/job.ini and its EMF pages, drawn
// with the project's own EMF builder. Run from the build as
//   build/bin/make_example_job examples
#include <cstdio>
#include <string>

#include "support/emf_builder.h"

namespace {

using emfbuild::EmfBuilder;
using emfbuild::Point;
using emfbuild::Rect;
using emfbuild::Rgb;

constexpr int kWidth = 794;  // A4 at 96 dpi
constexpr int kHeight = 1123;
constexpr uint32_t kPsSolid = 0, kBsSolid = 0, kBsHatched = 2, kHsDiagCross = 5;

void Header(EmfBuilder& page, uint32_t color) {
  page.createBrushIndirect(1, kBsSolid, color);
  page.createPen(2, kPsSolid, 1, color);
  page.selectObject(1).selectObject(2);
  page.rectangle({40, 40, kWidth - 40, 110});
}

EmfBuilder ChartPage() {
  EmfBuilder page(kWidth, kHeight);
  Header(page, Rgb(31, 78, 121));
  // Bars of a chart, each its own brush.
  const int values[] = {320, 450, 280, 510, 390, 600};
  const uint32_t colors[] = {Rgb(79, 129, 189),  Rgb(192, 80, 77),  Rgb(155, 187, 89),
                             Rgb(128, 100, 162), Rgb(75, 172, 198), Rgb(247, 150, 70)};
  for (int i = 0; i < 6; ++i) {
    page.createBrushIndirect(3, kBsSolid, colors[i]).selectObject(3);
    const int left = 100 + i * 100;
    page.rectangle({left, 800 - values[i], left + 70, 800});
    page.deleteObject(3);
  }
  // Axes and a trend line drawn as a path.
  page.createPen(4, kPsSolid, 3, Rgb(0, 0, 0)).selectObject(4);
  page.polyline16({{80, 160}, {80, 800}, {720, 800}});
  page.createPen(5, kPsSolid, 2, Rgb(200, 30, 30)).selectObject(5);
  page.beginPath().moveTo(135, 460);
  page.polyBezierTo16({{200, 380}, {280, 380}, {335, 500}, {400, 560}, {480, 300}, {535, 260}});
  page.endPath().strokePath();
  // A rounded frame around a legend.
  page.createBrushIndirect(6, kBsHatched, Rgb(120, 120, 120), kHsDiagCross).selectObject(6);
  page.roundRect({100, 880, 700, 1040}, 40, 40);
  return page;
}

EmfBuilder ShapesPage() {
  EmfBuilder page(kWidth, kHeight);
  Header(page, Rgb(118, 146, 60));
  page.createPen(3, kPsSolid, 4, Rgb(40, 40, 40)).selectObject(3);
  page.createBrushIndirect(4, kBsSolid, Rgb(242, 220, 219)).selectObject(4);
  page.ellipse({100, 180, 380, 400});
  page.pie({420, 180, 700, 400}, {700, 290}, {560, 180});
  page.chord({100, 450, 380, 670}, {100, 560}, {380, 560});
  page.arc({420, 450, 700, 670}, {700, 560}, {420, 560});
  // A star clipped to a rectangle, filled with the winding rule.
  page.saveDC();
  page.intersectClipRect({100, 720, 700, 980});
  page.setPolyFillMode(2);
  page.createBrushIndirect(5, kBsSolid, Rgb(255, 192, 0)).selectObject(5);
  page.polygon16({{400, 700}, {470, 1000}, {220, 810}, {580, 810}, {330, 1000}});
  page.restoreDC(-1);
  return page;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "examples";
  ChartPage().writeFile(folder + "/page1.emf");
  ShapesPage().writeFile(folder + "/page2.emf");
  // Page paths are filled in by scripts/run-example (@EXAMPLES@).
  FILE* ini = std::fopen((folder + "/job.ini").c_str(), "wb");
  if (ini == nullptr) return 1;
  std::fputs(
      "[Document]\r\nName=Quarterly figures.xls\r\nPaperWidth=2100\r\nPaperLength=2970\r\n"
      "[EMF]\r\nCount=2\r\nFile0=@EXAMPLES@/page1.emf\r\nFile1=@EXAMPLES@/page2.emf\r\n",
      ini);
  std::fclose(ini);
  std::printf("example job written to %s\n", folder.c_str());
  return 0;
}
