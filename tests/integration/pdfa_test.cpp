// PDF/A-1b and PDF/A-2b output checked by an independent validator (Apache
// PDFBox Preflight), qpdf and poppler's pdffonts, over the whole corpus and
// the GDI test pages (text, images, patterns, translucency).
#include <gtest/gtest.h>

#include <filesystem>

#include "emf2pdf/emf2pdf_converter.h"
#include "support/emf_convert_support.h"
#include "support/gdi_pages.h"
#include "support/preflight.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::TempFolder;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Information that needs escaping in XML and differs between Windows-1252
// and PDFDocEncoding (the euro sign), so that a validator comparing it with
// the metadata sees more than ASCII.
void SetTrickyInfo(pdf::TPDFDocument& document) {
  auto& info = document.DocumentInfo();
  info.Title = "Bilanz \x80 2026 <Q&A> \"quoted\"";
  info.Author = "Ren\xE9 O'Brien";
  info.Subject = "";
  info.Keywords = "a, b\r\nc";
  info.Creator = "Writer & Co";
  info.Producer = "Tallowcraft";
}

bool ConvertAs(pdf::TPDFConformance conformance, const std::string& page,
               const std::string& pdfPath) {
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetConformance(conformance);
  converter.SetFileName(pdfPath);
  converter.SetCompression(pdf::ctFlate);
  converter.SetGenerateBookmarks(false);
  SetTrickyInfo(converter);
  converter.BeginDoc();
  converter.AddDocument({page});
  const bool ok = converter.Convert();
  if (ok)
    converter.EndDoc();
  else
    converter.Abort();
  return ok;
}

// The test pages and every well-formed corpus page, each as its own PDF.
std::vector<std::string> ConvertAll(pdf::TPDFConformance conformance, const TempFolder& folder,
                                    bool withCorpus) {
  std::vector<std::string> pdfs;
  for (const auto& page : gdi_test::GdiPages()) {
    const std::string emf = folder.file(std::string(page.name) + ".emf");
    page.picture.writeFile(emf);
    pdfs.push_back(folder.file(std::string(page.name) + ".pdf"));
    EXPECT_TRUE(ConvertAs(conformance, emf, pdfs.back())) << page.name;
  }
  if (!withCorpus) return pdfs;
  const auto corpus = emw_test::CorpusFiles("emf");
  EXPECT_FALSE(corpus.empty()) << "corpus not found at " << TALLOWCRAFT_CORPUS_DIR;
  for (size_t i = 0; i < corpus.size(); ++i) {
    pdfs.push_back(folder.file("corpus" + std::to_string(i) + ".pdf"));
    EXPECT_TRUE(ConvertAs(conformance, corpus[i], pdfs.back())) << corpus[i];
  }
  return pdfs;
}

// The files among `pdfs` that qpdf finds fault with, or where pdffonts lists
// a font that is not embedded; one shell run for all.
std::string QpdfAndFontComplaints(const std::vector<std::string>& pdfs) {
  std::string files;
  for (const auto& pdf : pdfs) files += " '" + pdf + "'";
  std::string output;
  RunCommand("for f in" + files +
                 "; do qpdf --check \"$f\" >/dev/null 2>&1 || echo \"qpdf: $f\"; "
                 "pdffonts \"$f\" | awk -v f=\"$f\" 'NR > 2 && $(NF-4) != \"yes\" "
                 "{ print \"not embedded: \" f \": \" $0 }'; done",
             &output);
  return output;
}

TEST(PdfA, corpusAndTestPagesAsPdfA1b_passPreflightQpdfAndEmbedEveryFont) {
  if (!testing_support::HaveTool("qpdf") || !testing_support::HaveTool("pdffonts")) return;
  TempFolder folder;
  const auto pdfs = ConvertAll(pdf::pcPDFA1b, folder, true);
  const auto report = testing_support::Preflight(pdfs);
  if (!report) return;
  for (const auto& pdf : pdfs) {
    const auto found = report->find(pdf);
    ASSERT_NE(found, report->end()) << pdf << " was not validated";
    EXPECT_TRUE(found->second.empty()) << pdf << ":\n" << ::testing::PrintToString(found->second);
  }
  EXPECT_EQ(QpdfAndFontComplaints(pdfs), "");
}

// Preflight knows part 1 only: on part 2 files it may report what part 2
// allows (transparency, the identification naming part 2), nothing else.
TEST(PdfA, testPagesAsPdfA2b_breakOnlyRulesThatPart2Relaxes) {
  TempFolder folder;
  const auto pdfs = ConvertAll(pdf::pcPDFA2b, folder, false);
  const auto report = testing_support::Preflight(pdfs);
  if (!report) return;
  const auto relaxed = [](const std::string& error) {
    return error.starts_with("2.2") || error.starts_with("4.") || error.starts_with("7.11.2:");
  };
  bool softMaskSeen = false;
  for (const auto& pdf : pdfs) {
    const auto& errors = report->at(pdf);
    EXPECT_FALSE(errors.empty()) << pdf << " passes as part 1: the part is not named";
    for (const auto& error : errors) EXPECT_TRUE(relaxed(error)) << pdf << ": " << error;
    softMaskSeen = softMaskSeen || Contains(ReadFile(pdf), "/SMask ");
  }
  EXPECT_TRUE(softMaskSeen) << "translucent pictures lost their soft masks";
}

}  // namespace
