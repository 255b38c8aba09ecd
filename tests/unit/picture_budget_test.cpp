#include "emf2pdf/picture_budget.h"

#include <gtest/gtest.h>

namespace emf2pdf {
namespace {

TEST(PictureBudget, picturesPastWhatIsLeftTakeHalfOfIt) {
  PictureBudget budget("page.emf", 10'000);
  const struct {
    int width, height;
    int madeWidth, madeHeight;  // 0: left out
    int64_t left;
  } kSteps[] = {
      {50, 40, 50, 40, 8'000},       // fits: its own size
      {200, 100, 89, 44, 4'084},     // half of 8,000, proportions kept, rounded down
      {10'000, 1, 2'042, 1, 2'042},  // a side never vanishes
      {1, 1, 1, 1, 2'041},          {3'000, 3'000, 31, 31, 1'080},
  };
  for (const auto& step : kSteps) {
    const auto made = budget.Take(step.width, step.height);
    ASSERT_TRUE(made.has_value()) << step.width;
    EXPECT_EQ(made->width, step.madeWidth);
    EXPECT_EQ(made->height, step.madeHeight);
    EXPECT_EQ(budget.Left(), step.left);
  }
  // A monochrome pixel costs 1/24 of a colour one.
  PictureBudget scans("page.emf", 1'000);
  EXPECT_EQ(scans.Take(240, 100, true)->width, 240);
  EXPECT_EQ(scans.Left(), 0);
  const auto made = scans.Take(240, 100, true);
  EXPECT_FALSE(made.has_value());
  PictureBudget spent("page.emf", 1);
  EXPECT_FALSE(spent.Take(2, 2).has_value());
  EXPECT_EQ(spent.Left(), 1);
}

}  // namespace
}  // namespace emf2pdf
