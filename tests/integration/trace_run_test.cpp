// --trace, --verbose and TALLOWCRAFT_TRACE through the real program: what
// they print, and that the PDF is the one made without them.
#include <gtest/gtest.h>

#include <regex>

#include "support/emf_builder.h"
#include "support/silent_job.h"

namespace {

using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::SilentJob;

// Two pages: the first with an unknown record and one too short, the second
// without fault.
class TraceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    faulty_ = job_.folder().file("faulty.emf");
    clean_ = job_.folder().file("clean.emf");
    emfbuild::EmfBuilder()
        .rectangle({10, 10, 50, 40})
        .record(200, {})
        .record(86, {0, 0, 0, 0})
        .writeFile(faulty_);
    emfbuild::EmfBuilder().ellipse({10, 10, 90, 60}).writeFile(clean_);
    job_.WritePages({faulty_, clean_});
  }

  // Runs the job into `name` in the documents folder; returns the result.
  ProgramResult RunInto(const std::string& name, const std::vector<std::string>& options,
                        const std::vector<std::string>& environment) const {
    job_.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                       "\"Silent\"=dword:00000001\n\"OutputFileFormat\"=\"pdf\"\n"
                       "\"OutputFileName\"=\"" +
                       name + "\"\n");
    return job_.RunWithOptions(options, environment);
  }

  // The PDF without what differs between runs of the same job: its dates
  // and its identifier.
  std::string Timeless(const std::string& name) const {
    const std::string text = ReadFile(job_.documents() + "/" + name);
    static const std::regex kVarying(R"((/CreationDate|/ModDate) \([^)]*\)|/ID \[[^\]]*\])");
    return std::regex_replace(text, kVarying, "$1");
  }

  SilentJob job_;
  std::string faulty_;
  std::string clean_;
};

TEST_F(TraceRun, verbose_listsTheDroppedRecordsWithACountPerPage) {
  const ProgramResult result = RunInto("verbose.pdf", {"--verbose"}, {});
  ASSERT_EQ(result.exitStatus, 0) << result.standardError;
  const std::string page1 = "tallowcraft: page 1 (" + faulty_ + "): ";
  const std::string page2 = "tallowcraft: page 2 (" + clean_ + "): ";
  EXPECT_EQ(result.standardError, page1 + "@132 type 200: dropped, unsupported\n" + page1 +
                                      "@140 EMR_POLYGON16: dropped, malformed: 12 bytes, at "
                                      "least 28 needed\n" +
                                      page1 + "2 records dropped\n" + page2 +
                                      "0 records dropped\n");
}

TEST_F(TraceRun, traceByOptionOrEnvironment_leavesThePdfAsItIs) {
  const ProgramResult plain = RunInto("plain.pdf", {}, {"TALLOWCRAFT_TRACE="});
  ASSERT_EQ(plain.exitStatus, 0) << plain.standardError;
  EXPECT_EQ(plain.standardError, "");
  const ProgramResult option = RunInto("option.pdf", {"--trace"}, {});
  ASSERT_EQ(option.exitStatus, 0) << option.standardError;
  const ProgramResult variable = RunInto("variable.pdf", {}, {"TALLOWCRAFT_TRACE=1"});
  ASSERT_EQ(variable.exitStatus, 0) << variable.standardError;

  EXPECT_EQ(option.standardError, variable.standardError);
  for (const std::string& line :
       {"tallowcraft: trace of page 1 (" + faulty_ + ")", std::string("  @108 EMR_RECTANGLE"),
        std::string("  @132 type 200: dropped, unsupported"),
        "tallowcraft: trace of page 2 (" + clean_ + ")", std::string("  @108 EMR_ELLIPSE")})
    EXPECT_NE(option.standardError.find(line + "\n"), std::string::npos) << line;
  EXPECT_EQ(Timeless("option.pdf"), Timeless("plain.pdf"));
  EXPECT_EQ(Timeless("variable.pdf"), Timeless("plain.pdf"));
}

}  // namespace
