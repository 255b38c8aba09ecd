#include <gtest/gtest.h>

#include "support/emf_builder.h"
#include "support/silent_job.h"

namespace {

using testing_support::RunCommand;
using testing_support::SilentJob;

// "Same as the printed page" (PageSize 0): each page takes its picture's
// frame, in hundredths of a millimetre, as its size and orientation.
TEST(SilentPageSize, sameAsThePrintedPage_givesEachPageItsFrameSize) {
  SilentJob job;
  const struct {
    emfbuild::Rect frame;
    const char* size;
  } kPages[] = {
      {{0, 0, 27940, 21590}, "792 x 612 pts (letter)"},  // landscape Letter
      {{0, 0, 14800, 21000}, "420 x 595 pts (A5)"},      // A5
      {{0, 0, 0, 0}, "595 x 842 pts (A4)"},              // no frame: A4
  };
  std::string ini = "[EMF]\r\nCount=3\r\n";
  for (size_t i = 0; i < std::size(kPages); ++i) {
    const std::string page = job.folder().file("p" + std::to_string(i) + ".emf");
    emfbuild::EmfBuilder(400, 300).frame(kPages[i].frame).writeFile(page);
    ini += "File" + std::to_string(i) + "=" + page + "\r\n";
  }
  testing_support::WriteFile(job.job(), ini);
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"out.pdf\"\n" +
                    SilentJob::kPdfKeyLine + "\"PageSize\"=dword:00000000\n");
  const auto result = job.Run();
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_NE(result.standardError.find("gives no page size; using A4"), std::string::npos);
  std::string info;
  RunCommand("pdfinfo -f 1 -l 3 '" + job.documents() + "/out.pdf'", &info);
  for (size_t i = 0; i < std::size(kPages); ++i)
    EXPECT_NE(info.find("Page    " + std::to_string(i + 1) + " size:  " + kPages[i].size),
              std::string::npos)
        << info;
}

}  // namespace
