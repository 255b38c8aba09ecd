// The metadata stream, the information strings beside it and what a PDF/A
// document adds (the validator's view of whole files is in pdfa_test.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include <filesystem>

#include "pdf/document.h"
#include "pdf/output_intent.h"
#include "pdf/pdf_exception.h"
#include "pdf/xmp_metadata.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using testing_support::ReadFile;
using testing_support::TempFolder;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Sets TZ for the life of the object.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (saved_.empty())
      unsetenv("TZ");
    else
      setenv("TZ", saved_.c_str(), 1);
    tzset();
  }

 private:
  std::string saved_;
};

std::string Write(TPDFDocument& document, const TempFolder& folder) {
  document.SetFileName(folder.file("out.pdf"));
  document.BeginDoc();
  document.EndDoc();
  return ReadFile(folder.file("out.pdf"));
}

TEST(PdfAMetadata, datesNameTheSameInstantWithTheLocalOffset) {
  const auto when = std::chrono::system_clock::from_time_t(1767225600);  // 2026-01-01 00:00 UTC
  {
    const TimeZone zone("IST-5:30");
    EXPECT_EQ(PdfDateWithZone(when), "D:20260101053000+05'30'");
    EXPECT_EQ(XmpDate(when), "2026-01-01T05:30:00+05:30");
  }
  const TimeZone zone("EST5");
  EXPECT_EQ(PdfDateWithZone(when), "D:20251231190000-05'00'");
  EXPECT_EQ(XmpDate(when), "2025-12-31T19:00:00-05:00");
}

TEST(PdfAMetadata, xmlEscapingKeepsMarkupAndCarriageReturnsAndDropsControls) {
  EXPECT_EQ(XmlEscape("a<b>&\"c\"\r\n\t\x01z"), "a&lt;b&gt;&amp;&quot;c&quot;&#13;\n\tz");
}

TEST(PdfAMetadata, metadataFromPdf14_withPdfAIdentificationAndOutputIntentOnlyForPdfA) {
  TempFolder folder;
  TPDFDocument plain13;
  const std::string old = Write(plain13, folder);
  EXPECT_FALSE(Contains(old, "/Metadata"));
  EXPECT_TRUE(Contains(old, "/Title ()"));

  TPDFDocument plain14;
  plain14.SetVersion(v14);
  plain14.DocumentInfo().Title = "Caf\xE9 \x80";
  const std::string modern = Write(plain14, folder);
  EXPECT_TRUE(Contains(modern, "/Type /Metadata /Subtype /XML"));
  EXPECT_TRUE(Contains(modern, "x-default\">Caf\xC3\xA9 \xE2\x82\xAC</rdf:li>"));
  // Beyond ASCII the information string is UTF-16, so readers do not take
  // the euro's byte for another character.
  EXPECT_TRUE(Contains(modern, "/Title (\xFE\xFF\x00\x43"));
  EXPECT_FALSE(Contains(modern, "pdfaid"));
  EXPECT_FALSE(Contains(modern, "/OutputIntents"));

  TPDFDocument archival;
  archival.SetConformance(pcPDFA2b);
  const std::string pdfa = Write(archival, folder);
  EXPECT_EQ(pdfa.substr(0, 8), "%PDF-1.7");
  EXPECT_TRUE(Contains(pdfa, "<pdfaid:part>2</pdfaid:part>"));
  EXPECT_TRUE(Contains(pdfa, "/OutputIntents [<< /Type /OutputIntent /S /GTS_PDFA1"));
  EXPECT_TRUE(Contains(pdfa, "/N 3 /Filter /FlateDecode"));
}

TEST(PdfAMetadata, outputProfileIsAVersion2RgbIccProfile) {
  const std::string& profile = SrgbIccProfile();
  ASSERT_GT(profile.size(), 128u);
  EXPECT_EQ(profile[8], 2);  // PDF 1.4 readers know version 2 profiles
  EXPECT_EQ(profile.substr(16, 4), "RGB ");
  EXPECT_EQ(profile.substr(36, 4), "acsp");
  EXPECT_EQ(&profile, &SrgbIccProfile());  // made once
}

TEST(PdfAMetadata, pdfaDocumentRefusesProtection) {
  TempFolder folder;
  TPDFDocument document;
  document.SetConformance(pcPDFA1b);
  document.SetProtectionEnabled(true);
  document.SetFileName(folder.file("out.pdf"));
  EXPECT_THROW(document.BeginDoc(), TPDFException);
  EXPECT_FALSE(document.Active());
  EXPECT_FALSE(std::filesystem::exists(folder.file("out.pdf")));
}

}  // namespace
}  // namespace pdf
