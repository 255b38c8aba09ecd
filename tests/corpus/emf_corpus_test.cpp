// Every real metafile of the shared corpus: well-formed ones convert to a PDF
// that qpdf accepts without warnings and pdftoppm renders; broken ones end in
// a clear error or a partial page.
#include <gtest/gtest.h>

#include "support/emf_convert_support.h"
#include "support/graphics_test_support.h"

namespace {

using emw_test::ConvertPages;
using emw_test::CorpusFiles;

TEST(EmfCorpus, wellFormedFiles_convertToCleanRenderablePdfs) {
  const auto files = CorpusFiles("emf");
  if (files.empty()) GTEST_SKIP() << "corpus not found at " << TALLOWCRAFT_CORPUS_DIR;
  if (!graphics_test::ToolAvailable("qpdf") || !graphics_test::ToolAvailable("pdftoppm"))
    GTEST_SKIP() << "qpdf or pdftoppm missing";
  graphics_test::TempPdf pdf("corpus");
  for (const std::string& file : files) {
    std::string error;
    ASSERT_TRUE(ConvertPages({file}, pdf.Path(), &error)) << file << ": " << error;
    EXPECT_TRUE(graphics_test::QpdfCheckClean(pdf.Path())) << file;
    std::string output;
    EXPECT_EQ(graphics_test::RunCommand("pdftoppm -r 8 -f 1 -l 1 '" + pdf.Path() + "' > /dev/null",
                                        &output),
              0)
        << file << ": " << output;
  }
}

TEST(EmfCorpus, malformedFiles_endInAClearErrorOrAPartialPage) {
  const auto files = CorpusFiles("emf-malformed");
  if (files.empty()) GTEST_SKIP() << "corpus not found at " << TALLOWCRAFT_CORPUS_DIR;
  graphics_test::TempPdf pdf("corpus_malformed");
  for (const std::string& file : files) {
    std::string error;
    if (ConvertPages({file}, pdf.Path(), &error)) {
      if (graphics_test::ToolAvailable("qpdf")) {
        EXPECT_TRUE(graphics_test::QpdfCheckClean(pdf.Path())) << file;
      }
    } else {
      EXPECT_NE(error.find("is not an enhanced metafile"), std::string::npos)
          << file << ": " << error;
    }
  }
}

}  // namespace
