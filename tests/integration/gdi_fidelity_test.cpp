// Pages drawn as GDI draws them: our rendering against GDI's (Wine's gdi32,
// see scripts/gdi-references), within thresholds that today's drawing meets
// and a misplaced or missing shape does not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "emf2pdf/raster_compositor.h"
#include "platform/pdf_raster.h"
#include "support/emf_convert_support.h"
#include "support/gdi_fidelity.h"
#include "support/gdi_pages.h"
#include "support/graphics_test_support.h"
#include "support/image_tools.h"
#include "support/temp_folder.h"

namespace {

constexpr double kMaxBad = 0.02;
constexpr double kMinInk = 0.95;

TEST(GdiFidelity, pagesMatchGdisDrawing) {
  if (!graphics_test::ToolAvailable("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  // As the desktop program converts: raster operations combined in a raster.
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
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

// Equal patterns are one object, however many pages fill with them, and
// the file stays clean for qpdf.
TEST(GdiFidelity, equalPatternsAreOneObject) {
  if (!graphics_test::ToolAvailable("qpdf")) GTEST_SKIP() << "qpdf missing";
  testing_support::TempFolder folder;
  for (const auto& page : gdi_test::GdiPages())
    if (std::string(page.name) == "hatched-brushes") page.picture.writeFile(folder.file("p.emf"));
  const std::string pdf = folder.file("out.pdf");
  ASSERT_TRUE(emw_test::ConvertPages({folder.file("p.emf"), folder.file("p.emf")}, pdf));
  const auto check = testing_support::CommandOutput("qpdf --check '" + pdf + "' 2>&1");
  ASSERT_TRUE(check);
  EXPECT_NE(check->find("No syntax or stream encoding errors"), std::string::npos) << *check;
  const auto qdf = testing_support::CommandOutput("qpdf --qdf --object-streams=disable '" + pdf +
                                                  "' - 2>/dev/null");
  ASSERT_TRUE(qdf);
  size_t patterns = 0;
  for (size_t at = qdf->find("/PatternType 1"); at != std::string::npos;
       at = qdf->find("/PatternType 1", at + 1))
    ++patterns;
  EXPECT_EQ(patterns, 2u);  // the hatch over yellow and the one without background
}

}  // namespace
