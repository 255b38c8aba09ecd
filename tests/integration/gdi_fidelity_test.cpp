// Pages drawn as GDI draws them: our rendering against GDI's (Wine's gdi32,
// see scripts/gdi-references), within thresholds that today's drawing meets
// and a misplaced or missing shape does not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/emf_convert_support.h"
#include "support/gdi_fidelity.h"
#include "support/gdi_pages.h"
#include "support/graphics_test_support.h"

namespace {

constexpr double kMaxBad = 0.02;
constexpr double kMinInk = 0.95;

TEST(GdiFidelity, pagesMatchGdisDrawing) {
  if (!graphics_test::ToolAvailable("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  for (const auto& page : gdi_test::GdiPages()) {
    const std::string reference =
        std::string(TALLOWCRAFT_SOURCE_DIR) + "/tests/references/gdi/" + page.name + ".png";
    const auto expected = gdi_test::ReadPngGrey(reference);
    ASSERT_TRUE(expected) << reference;
    const auto converted = emw_test::ConvertPicture(page.picture, page.pdf14 ? pdf::v14 : pdf::v13);
    ASSERT_TRUE(converted->ok) << page.name;
    const auto ours = gdi_test::RenderPicture(converted->pdf, expected->width, expected->height);
    ASSERT_TRUE(ours) << page.name;
    // TALLOWCRAFT_GDI_OUT=folder keeps our PDFs, for compare.py --diff.
    if (const char* keep = std::getenv("TALLOWCRAFT_GDI_OUT"))
      std::filesystem::copy_file(converted->pdf, std::string(keep) + "/" + page.name + ".pdf",
                                 std::filesystem::copy_options::overwrite_existing);
    const gdi_test::Fidelity f = gdi_test::Score(*expected, *ours);
    EXPECT_LE(f.bad, kMaxBad) << page.name;
    EXPECT_GE(f.recall, kMinInk) << page.name;
    EXPECT_GE(f.precision, kMinInk) << page.name;
  }
}

}  // namespace
