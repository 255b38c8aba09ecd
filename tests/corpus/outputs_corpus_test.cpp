// Every real metafile of the shared corpus as a movie slide and a JPEG page,
// with the PDF path's page (A4 for a frame of no usable page size, blank for a
// picture of no usable size); only a malformed file may fail, with an error
// naming it.
#include <gtest/gtest.h>

#include "app/jpeg_output.h"
#include "pdf/jpeg_codec.h"
#include "presentation/presentation.h"
#include "support/emf_convert_support.h"
#include "support/temp_folder.h"

namespace {

TEST(OutputsCorpus, everyPicture_becomesASlideAndAJpegOrAClearError) {
  const auto wellFormed = emw_test::CorpusFiles("emf");
  if (wellFormed.empty()) GTEST_SKIP() << "corpus not found at " << TALLOWCRAFT_CORPUS_DIR;
  testing_support::TempFolder temp;
  const presentation::SwfOptions slides{presentation::kMinResolution, 90, true, false};
  for (const bool broken : {false, true}) {
    for (const std::string& file : broken ? emw_test::CorpusFiles("emf-malformed") : wellFormed) {
      try {
        EXPECT_EQ(presentation::MakeSlideMovie({file}, slides, "").substr(0, 3), "FWS") << file;
        const auto jpeg = app::WriteJpegPages({file}, temp.file("page.jpg"), {8, 8, "test"});
        EXPECT_GT(pdf::ReadJpegInfo(testing_support::ReadFile(jpeg.written.at(0))).width, 0);
      } catch (const std::runtime_error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(file), std::string::npos) << message;
        EXPECT_TRUE(broken) << message;
      }
    }
  }
}

}  // namespace
