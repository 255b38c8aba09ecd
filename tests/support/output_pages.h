#pragma once

#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace testing_support {

// Two page files of 400 x 300 pixels at 96 dpi that tell apart at a glance:
// the first black on its left half, the second black on its bottom half.
std::vector<std::string> WriteTwoDistinctPages(const std::string& folder);

// The mean grey (0..255) of each cell of a grid laid over the bitmap, rows
// first, as the browser check computes it.
std::vector<int> GreyGrid(const platform::TBitmap& bitmap, int columns, int rows);

// The largest difference between two grids of the same size; 255 when they differ in size.
int GridDistance(const std::vector<int>& a, const std::vector<int>& b);

}  // namespace testing_support
