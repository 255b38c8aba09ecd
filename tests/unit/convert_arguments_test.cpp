#include "app/convert_arguments.h"

#include <gtest/gtest.h>

#include "emf2pdf/page_source.h"
#include "support/temp_folder.h"

namespace app {
namespace {

std::optional<std::string> NoEnvironment(const std::string&) { return std::nullopt; }

ConvertArguments Parse(const std::vector<std::string>& arguments) {
  return ParseConvertArguments(arguments, NoEnvironment);
}

std::string Refusal(const std::vector<std::string>& arguments) {
  try {
    Parse(arguments);
  } catch (const std::exception& error) {
    return error.what();
  }
  return "accepted";
}

TEST(ConvertArguments, namesAndDefaults) {
  const ConvertArguments defaults = Parse({"a.emf", "-", "-o", "out.pdf"});
  EXPECT_EQ(defaults.inputs, (std::vector<std::string>{"a.emf", "-"}));
  EXPECT_EQ(defaults.pdf.pageSize, 0);
  EXPECT_EQ(defaults.pdf.leftMargin + defaults.pdf.topMargin, 0);
  EXPECT_FALSE(defaults.pdf.protectionEnabled);

  const ConvertArguments set =
      Parse({"--page-size=EnvDL", "--orientation", "landscape", "--margins", "12", "--pdf-version",
             "1.7", "--allow", "print,copy", "a.emf", "-o", "out.pdf"});
  EXPECT_EQ(set.pdf.pageSize, 15);
  EXPECT_EQ(set.pdf.pageOrientation, 1);
  EXPECT_EQ(set.pdf.bottomMargin, 12);
  EXPECT_EQ(set.pdf.pdfVersion, 4);
  EXPECT_TRUE(set.pdf.protectionEnabled);
  EXPECT_TRUE(set.pdf.allowPrinting && set.pdf.allowCopyInformation);
  EXPECT_FALSE(set.pdf.allowModifyStructure || set.pdf.allowHiQualityPrinting);

  // PDF/A takes the version it needs, whatever --pdf-version said.
  const ConvertArguments archival =
      Parse({"--pdf-version", "1.3", "--pdfa", "2B", "a.emf", "-o", "a.pdf"});
  EXPECT_EQ(archival.pdf.pdfaCompliance, 2);
  EXPECT_EQ(archival.pdf.pdfVersion, 4);
}

TEST(ConvertArguments, refusals_sayWhy) {
  EXPECT_EQ(Refusal({"a.emf"}), "No output given (-o OUTPUT)");
  EXPECT_EQ(Refusal({"-o", "x.pdf"}), "No input file given");
  EXPECT_EQ(Refusal({"a.emf", "-o", "x.pdf", "--margins", "-1"}),
            "--margins takes a whole number from 0 to 9999, not \"-1\"");
  EXPECT_NE(Refusal({"a.emf", "-o", "x.pdf", "--page-size", "a9"}).find("envmonarch"),
            std::string::npos);
  EXPECT_EQ(Refusal({"a.emf", "-o", "x.pdf", "--allow", "print,fly"}).substr(0, 15),
            "--allow takes \"");
  EXPECT_EQ(Refusal({"a.emf", "-o", "x.pdf", "--pdfa", "1b", "--key-length", "aes128"}),
            "PDF/A and protection cannot both be on: PDF/A forbids encryption");
  testing_support::TempFolder temp;
  testing_support::WriteFile(temp.file("pw"), "secret\n");
  EXPECT_NE(Refusal({"a.emf", "-o", "x.pdf", "--password-file", temp.file("pw")}).find("line 1"),
            std::string::npos);
  // 40-bit keys take Windows-1252 passwords only.
  const auto environment = [](const std::string& name) -> std::optional<std::string> {
    if (name == "TALLOWCRAFT_OWNER_PASSWORD") return "\xE6\x97\xA5";
    return std::nullopt;
  };
  EXPECT_THROW(ParseConvertArguments({"a.emf", "-o", "x.pdf"}, environment), ConvertUsageError);
  EXPECT_TRUE(ParseConvertArguments({"a.emf", "-o", "x.pdf", "--key-length", "aes256"}, environment)
                  .pdf.masterPasswordEnabled);
}

TEST(DevModePaper, explicitSizeWinsAndLandscapeTurnsIt) {
  const auto a5 = emf2pdf::DevModePaper({11, 0, 0, 1});
  ASSERT_TRUE(a5);
  EXPECT_EQ(a5->width, 14800);
  EXPECT_EQ(a5->height, 21000);
  const auto own = emf2pdf::DevModePaper({9, 1000, 2000, 2});  // 100 x 200 mm, landscape
  ASSERT_TRUE(own);
  EXPECT_EQ(own->width, 20000);
  EXPECT_EQ(own->height, 10000);
  EXPECT_FALSE(emf2pdf::DevModePaper({250, 0, 0, 1}));
}

}  // namespace
}  // namespace app
