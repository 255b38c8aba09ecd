#include "support/output_pages.h"

#include <algorithm>
#include <cstdlib>

#include "support/emf_builder.h"

namespace testing_support {

std::vector<std::string> WriteTwoDistinctPages(const std::string& folder) {
  using emfbuild::EmfBuilder;
  const std::string first = folder + "/left.emf";
  const std::string second = folder + "/bottom.emf";
  const auto black = [](emfbuild::Rect area, const std::string& path) {
    EmfBuilder builder(400, 300);
    builder.createBrushIndirect(1, 0, 0).selectObject(1).rectangle(area);
    builder.writeFile(path);
  };
  black({0, 0, 200, 300}, first);
  black({0, 150, 400, 300}, second);
  return {first, second};
}

std::vector<int> GreyGrid(const platform::TBitmap& bitmap, int columns, int rows) {
  std::vector<int> cells;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int x0 = c * bitmap.Width() / columns, x1 = (c + 1) * bitmap.Width() / columns;
      const int y0 = r * bitmap.Height() / rows, y1 = (r + 1) * bitmap.Height() / rows;
      double sum = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          const platform::TColor color = bitmap.Pixel(x, y);
          sum += (platform::ColorRed(color) + platform::ColorGreen(color) +
                  platform::ColorBlue(color)) /
                 3.0;
        }
      cells.push_back(static_cast<int>(sum / std::max(1, (x1 - x0) * (y1 - y0)) + 0.5));
    }
  }
  return cells;
}

int GridDistance(const std::vector<int>& a, const std::vector<int>& b) {
  if (a.size() != b.size()) return 255;
  int distance = 0;
  for (size_t i = 0; i < a.size(); ++i) distance = std::max(distance, std::abs(a[i] - b[i]));
  return distance;
}

}  // namespace testing_support
