#include "pdf/document.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pdf/page.h"
#include "pdf/pdf_exception.h"
#include "support/graphics_test_support.h"
#include "support/pdf_inspect.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using testing_support::ObjectOrder;
using testing_support::ObjectText;
using testing_support::ReadFile;
using testing_support::ReadXref;
using testing_support::TempFolder;

class DocumentTest : public ::testing::Test {
 protected:
  std::string Write(TPDFDocument& doc, int pages = 1) {
    doc.SetFileName(folder_.file("out.pdf"));
    doc.BeginDoc();
    for (int i = 1; i < pages; ++i) doc.NewPage();
    doc.EndDoc();
    return ReadFile(folder_.file("out.pdf"));
  }

  TempFolder folder_;
};

TEST_F(DocumentTest, emptyPage_isWrittenInTheDocumentedOrder) {
  TPDFDocument doc;
  const std::string pdf = Write(doc);
  EXPECT_EQ(pdf.substr(0, 17), "%PDF-1.3\r\n%\xD2\xE5\xD1\xF2\r\n");
  // info, page tree, resources, contents, page, catalog
  EXPECT_EQ(ObjectOrder(pdf), (std::vector<int>{3, 1, 4, 5, 2, 6}));
  EXPECT_EQ(ObjectText(pdf, 5), "<</Length 6\r\n>>\r\nstream\r\nq\r\nQ\r\n\r\nendstream\r\n");
  EXPECT_EQ(ObjectText(pdf, 4), "<< /ProcSet [/PDF ]\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, 2),
            "<</Type /Page\r\n/Parent 1 0 R\r\n/Resources 4 0 R\r\n/Contents [5 0 R]\r\n"
            "/MediaBox [0 0 595 842]\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, 1), "<</Type /Pages\r\n/Kids [\r\n2 0 R\r\n]\r\n/Count 1\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, 6),
            "<</Type /Catalog\r\n /Pages 1 0 R\r\n/PageLayout /SinglePage\r\n"
            "/PageMode /UseNone\r\n>>\r\n");
  EXPECT_NE(ObjectText(pdf, 3).find("/Title ()\r\n"), std::string::npos);
  EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");
}

// A document made only to be rendered at once stays in memory: no file,
// and the bytes are a whole PDF whose offsets hold.
TEST_F(DocumentTest, memoryOutput_isAWholePdfAndWritesNoFile) {
  TPDFDocument doc;
  doc.SetMemoryOutput(true);
  doc.BeginDoc();
  doc.NewPage();
  doc.EndDoc();
  const std::string pdf = doc.TakeMemoryOutput();
  EXPECT_EQ(pdf.substr(0, 8), "%PDF-1.3");
  EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");
  const auto xref = ReadXref(pdf);
  ASSERT_FALSE(xref.empty());
  for (size_t n = 1; n < xref.size(); ++n)
    EXPECT_EQ(
        pdf.compare(xref[n].offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0)
        << n;
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
}

TEST_F(DocumentTest, onePass_writesPagesBeforeTheInformationDictionary) {
  TPDFDocument doc;
  doc.SetOnePass(true);
  const std::string pdf = Write(doc, 2);
  // page 1 (2, resources 3, contents 4) at NewPage; page 2 (5) at EndDoc; then info 8
  EXPECT_EQ(ObjectOrder(pdf), (std::vector<int>{3, 4, 2, 6, 7, 5, 8, 1, 9}));
}

TEST_F(DocumentTest, resources_listProcSetThenFontsThenXObjects) {
  TPDFDocument doc;
  doc.SetFileName(folder_.file("out.pdf"));
  doc.BeginDoc();
  TPDFPage& page = doc.CurrentPage();
  page.SetActiveFont("Helvetica", 0, 0, 10);
  page.TextOut("Hi", 72, 72, 0);
  graphics_test::FakePlayer player(100, 50);
  page.PlayMetaFile(player, 10, 10, 1, 1);
  doc.EndDoc();
  const std::string pdf = ReadFile(folder_.file("out.pdf"));
  const auto procSet = pdf.find(" /ProcSet [/PDF /Text ]");
  const auto fonts = pdf.find("/Font <<", procSet);
  const auto xobjects = pdf.find(" /XObject <<\r\n/IF0 ", procSet);
  ASSERT_NE(procSet, std::string::npos);
  ASSERT_NE(fonts, std::string::npos);
  ASSERT_NE(xobjects, std::string::npos);
  EXPECT_LT(fonts, xobjects);
}

TEST_F(DocumentTest, xrefEntries_pointAtTheirObjects) {
  TPDFDocument doc;
  doc.SetCompression(ctFlate);
  const std::string pdf = Write(doc, 3);
  const auto xref = ReadXref(pdf);
  ASSERT_EQ(xref.size(), 13u);  // free entry, tree, 3 x (page, resources, contents), info, catalog
  EXPECT_FALSE(xref[0].inUse);
  for (size_t n = 1; n < xref.size(); ++n) {
    ASSERT_TRUE(xref[n].inUse);
    EXPECT_EQ(
        pdf.compare(xref[n].offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0)
        << n;
  }
  EXPECT_NE(pdf.find("xref\r\n0 13\r\n0000000000 65535 f\r\n"), std::string::npos);
}

TEST_F(DocumentTest, trailer_repeatsTheIdentifierAndPointsAtCatalogAndInfo) {
  TPDFDocument doc;
  const std::string pdf = Write(doc);
  const auto trailer = pdf.substr(pdf.find("trailer\r\n"));
  EXPECT_NE(trailer.find("/Size 7\r\n/Root 6 0 R\r\n/Info 3 0 R\r\n/ID [<"), std::string::npos);
  const auto id = trailer.substr(trailer.find("/ID [<") + 6, 32);
  EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(trailer.find("<" + id + "><" + id + ">]"), std::string::npos);
}

TEST_F(DocumentTest, qpdfAcceptsPlainAndCompressedDocuments) {
  if (!testing_support::HaveTool("qpdf")) GTEST_SKIP() << "qpdf not installed";
  for (auto compression : {ctNone, ctFlate}) {
    TPDFDocument doc;
    doc.SetCompression(compression);
    doc.SetViewerPreferences(vpHideToolBar | vpCenterWindow);
    doc.SetPageLayout(plTwoColumnLeft);
    Write(doc, 4);
    bool ok = false;
    const auto output = testing_support::QpdfCheck(folder_.file("out.pdf"), &ok);
    EXPECT_TRUE(ok) << output;
  }
}

TEST_F(DocumentTest, versionAndKeyLength_areCoupled) {
  TPDFDocument doc;
  doc.SetProtectionKeyLength(kl128);
  EXPECT_EQ(doc.Version(), v14);
  EXPECT_EQ(Write(doc).substr(0, 8), "%PDF-1.4");
  doc.SetVersion(v13);
  EXPECT_EQ(doc.ProtectionKeyLength(), kl40);
  doc.SetVersion(v16);
  EXPECT_EQ(Write(doc).substr(0, 8), "%PDF-1.6");
}

TEST_F(DocumentTest, lifecycleMisuse_raisesTheDocumentedMessages) {
  TPDFDocument doc;
  const auto message = [](auto&& action) {
    try {
      action();
    } catch (const TPDFException& e) {
      return std::string(e.what());
    }
    return std::string("no exception");
  };
  EXPECT_EQ(message([&] { doc.NewPage(); }), "Generation PDF file not activated");
  EXPECT_EQ(message([&] { doc.EndDoc(); }), "Generation PDF file not activated");
  EXPECT_EQ(message([&] { doc.Abort(); }), "Generation PDF file not activated");
  doc.SetFileName(folder_.file("a.pdf"));
  doc.BeginDoc();
  EXPECT_EQ(message([&] { doc.BeginDoc(); }), "Generation PDF file in progress");
  EXPECT_EQ(message([&] { doc.SetOwnerPassword("x"); }), "Generation PDF file in progress");
  EXPECT_EQ(message([&] { doc.SetFileName("b.pdf"); }), "Generation PDF file in progress");
  EXPECT_EQ(message([&] { doc.SetOnePass(true); }), "Generation PDF file in progress");
  EXPECT_EQ(message([&] { doc.SetProtectionKeyLength(kl128); }), "Cannot change this value");
  doc.SetProtectionKeyLength(kl40);  // the same value is accepted
  EXPECT_EQ(message([&] { doc.SetEmulateStandardFont(true); }), "Cannot change this value");
  int64_t tooHigh = 99;
  EXPECT_EQ(message([&] { doc.BeginObject(tooHigh); }), "Out of range");
  EXPECT_TRUE(doc.Active());
  doc.EndDoc();
}

TEST_F(DocumentTest, abort_removesThePartialFileAndKeepsTheOldOne) {
  const std::string target = folder_.file("keep.pdf");
  testing_support::WriteFile(target, "previous contents");
  TPDFDocument doc;
  doc.SetFileName(target);
  doc.BeginDoc();
  doc.NewPage();
  doc.Abort();
  EXPECT_TRUE(doc.Aborted());
  EXPECT_EQ(ReadFile(target), "previous contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_THROW(doc.NewPage(), TPDFException);
}

TEST_F(DocumentTest, beginDoc_failsCleanlyWhenTheFolderIsMissing) {
  TPDFDocument doc;
  doc.SetFileName(folder_.file("missing/out.pdf"));
  EXPECT_THROW(doc.BeginDoc(), std::runtime_error);
  EXPECT_FALSE(doc.Active());
}

TEST_F(DocumentTest, permissionWord_followsTheKeyLength) {
  EXPECT_EQ(TPDFDocument::PermissionWord(0, kl40), -64);
  EXPECT_EQ(TPDFDocument::PermissionWord(0, kl128), -3904);
  EXPECT_EQ(TPDFDocument::PermissionWord(0xFF, kl40), -4);
  EXPECT_EQ(TPDFDocument::PermissionWord(0xFF, kl128), -4);
  EXPECT_EQ(TPDFDocument::PermissionWord(coPrint | coPrintHi, kl128), -1852);
}

TEST_F(DocumentTest, autoLaunch_opensTheFinishedFile) {
  const std::string log = folder_.file("opened.txt");
  const std::string opener = folder_.file("opener.sh");
  testing_support::WriteFile(opener, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + log + "'\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  setenv("TALLOWCRAFT_OPENER", opener.c_str(), 1);
  TPDFDocument doc;
  doc.SetAutoLaunch(true);
  Write(doc);
  unsetenv("TALLOWCRAFT_OPENER");
  EXPECT_EQ(ReadFile(log), folder_.file("out.pdf") + "\n");
}

TEST_F(DocumentTest, autoLaunchFailure_isSwallowed) {
  setenv("TALLOWCRAFT_OPENER", "/nonexistent/opener", 1);
  TPDFDocument doc;
  doc.SetAutoLaunch(true);
  EXPECT_NO_THROW(Write(doc));
  unsetenv("TALLOWCRAFT_OPENER");
}

}  // namespace
}  // namespace pdf
