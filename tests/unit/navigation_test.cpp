#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "pdf/actions.h"
#include "pdf/annotations.h"
#include "pdf/document.h"
#include "pdf/object_encryption.h"
#include "pdf/outlines.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_strings.h"
#include "support/graphics_test_support.h"

namespace pdf {
namespace {

using graphics_test::TempPdf;

// The text of object `number` as written: from its "N 0 obj" line to "endobj".
std::string ObjectText(const std::string& pdf, int64_t number) {
  const std::string head = "\r\n" + std::to_string(number) + " 0 obj\r\n";
  const size_t start = pdf.find(head);
  if (start == std::string::npos) return {};
  const size_t end = pdf.find("endobj", start);
  return pdf.substr(start + head.size(), end - start - head.size());
}

// The number of the object whose text contains `needle`, 0 if none does.
int64_t ObjectWith(const std::string& pdf, const std::string& needle) {
  const size_t at = pdf.find(needle);
  if (at == std::string::npos) return 0;
  const size_t head = pdf.rfind(" 0 obj\r\n", at);
  const size_t line = pdf.rfind("\r\n", head - 1);
  return std::stoll(pdf.substr(line + 2, head - line - 2));
}

class Navigation : public ::testing::Test {
 protected:
  void Start(TPDFVersion version = v13) {
    document_.SetFileName(file_.Path());
    document_.SetVersion(version);
    document_.BeginDoc();
  }
  std::string Finish() {
    document_.EndDoc();
    return file_.Read();
  }
  void TearDown() override {
    if (document_.Active()) document_.Abort();
  }

  TempPdf file_{"navigation"};
  TPDFDocument document_;
};

void ExpectMessage(const std::function<void()>& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no exception, expected " << message;
  } catch (const TPDFException& e) {
    EXPECT_EQ(e.what(), message);
  }
}

TEST_F(Navigation, badArguments_raiseTheirMessages) {
  Start();
  TPDFActions& actions = document_.Actions();
  ExpectMessage([&] { actions.CreateURLAction(""); }, "URL cannot be empty");
  ExpectMessage([&] { actions.CreateGoToPageAction(-1, 0); }, "PageIndex cannot be negative");
  ExpectMessage([&] { actions.CreateGoToPageAction(0, -1); }, "Top Offset cannot be negative");
  ExpectMessage([] { TPDFOutlineNode node(nullptr); }, "Outline node must have owner");
  ExpectMessage([] { TPDFActionAnnotation annotation(nullptr); },
                "Annotation must have TPDFPage as owner");
}

TEST_F(Navigation, annotationOnForm_isRefused) {
  Start();
  graphics_test::FakePlayer player(10, 10);
  document_.CurrentPage().PlayMetaFile(player, 0, 0, 1, 1);
  TPDFPage& form = document_.CurrentPage().Forms().Items(0);
  ExpectMessage([&] { form.CreateURLAnnotation(0, 0, 1, 1, "http://x"); },
                "Cannot create URL to watermark");
  ExpectMessage([&] { form.CreateAnnotation(0, 0, 1, 1, nullptr); },
                "Cannot create URL to watermark");
}

TEST_F(Navigation, registerAction_needsADocumentInProgress) {
  TPDFURLAction action(document_);
  ExpectMessage([&] { document_.RegisterAction(action); }, "Generation PDF file not activated");
  Start();
  document_.RegisterAction(action);
  document_.RegisterAction(action);
  EXPECT_EQ(document_.Actions().Count(), 1);
  EXPECT_GT(action.ObjectNumber(), 0);
}

TEST_F(Navigation, linkAnnotation_writesBorderFlagsColourAndRect) {
  Start();
  TPDFPage& page = document_.CurrentPage();
  TPDFActionAnnotation& link = page.CreateURLAnnotation(200.5, 300, 100, 10.5, "http://a.b/");
  EXPECT_EQ(link.Left(), 100);
  EXPECT_EQ(link.Right(), 200);  // 200.5 rounds to even
  EXPECT_EQ(link.Top(), 832);    // 842 - 10.5 = 831.5, to even
  EXPECT_EQ(link.Bottom(), 542);
  const int64_t number = link.ObjectNumber();
  const int64_t action = link.Action()->ObjectNumber();
  const std::string pdf = Finish();  // frees the page and its links
  EXPECT_EQ(ObjectText(pdf, number),
            "<</Type /Annot\r\n/Subtype /Link\r\n/Border []\r\n/F 0\r\n/C [1 1 0 ]\r\n"
            "/Rect [100 542 200 832]\r\n/A " +
                std::to_string(action) + " 0 R\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, action), "<</S /URI /URI (http://a.b/)\r\n>>\r\n");
  EXPECT_NE(ObjectText(pdf, 2).find("/Annots [\r\n" + std::to_string(number) + " 0 R\r\n]"),
            std::string::npos);
}

TEST_F(Navigation, sharedAction_isWrittenOnce) {
  Start();
  TPDFGoToPageAction& action = document_.Actions().CreateGoToPageAction(0, 0);
  document_.CurrentPage().CreateAnnotation(0, 0, 10, 10, &action);
  document_.CurrentPage().CreateAnnotation(0, 20, 10, 30, &action);
  const int64_t number = action.ObjectNumber();
  const std::string pdf = Finish();
  const std::string body = "<</S /GoTo /D [2 0 R /XYZ null 842 null ]\r\n>>\r\n";
  EXPECT_EQ(ObjectText(pdf, number), body);
  EXPECT_EQ(pdf.find(body), pdf.rfind(body));
}

TEST_F(Navigation, goToPage_targetsTheTopOffsetOfItsPage) {
  Start();
  document_.NewPage();
  TPDFGoToPageAction& fit = document_.Actions().CreateGoToPageAction(1, 100);
  fit.SetFitH(true);
  TPDFGoToPageAction& chained = document_.Actions().CreateGoToPageAction(0, 42);
  fit.SetNextAction(&chained);
  document_.RegisterAction(fit);
  const int64_t page = document_.CurrentPage().ObjectNumber();
  const int64_t fitNumber = fit.ObjectNumber();
  const std::string pdf = Finish();
  // The chained action gets its number while the file is written.
  const int64_t chainedNumber = ObjectWith(pdf, "/XYZ null 800");
  ASSERT_GT(chainedNumber, 0);
  EXPECT_EQ(ObjectText(pdf, fitNumber), "<</S /GoTo /D [" + std::to_string(page) +
                                            " 0 R /FitH 742]\r\n/Next " +
                                            std::to_string(chainedNumber) + " 0 R\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, chainedNumber), "<</S /GoTo /D [2 0 R /XYZ null 800 null ]\r\n>>\r\n");
}

// One pass writes and lets go of each finished page; actions written at the
// end still find its number and map offsets with its own height and scale.
TEST_F(Navigation, goToPage_landsAlikeOnPagesWrittenEarlyOrAtTheEnd) {
  for (const bool onePass : {false, true}) {
    SCOPED_TRACE(onePass ? "one pass" : "at the end");
    document_.SetOnePass(onePass);
    document_.SetResolution(300);
    Start();
    document_.CurrentPage().SetHeight(3000);  // 720 points
    const int64_t first = document_.CurrentPage().ObjectNumber();
    document_.NewPage();
    EXPECT_EQ(document_.Pages().IsReleased(0), onePass);
    if (onePass) {
      EXPECT_THROW(document_.Pages().Items(0), std::out_of_range);
    }
    EXPECT_EQ(document_.Pages().ObjectNumberOf(0), first);
    TPDFGoToPageAction& action = document_.Actions().CreateGoToPageAction(0, 600);
    document_.RegisterAction(action);
    const int64_t number = action.ObjectNumber();
    const std::string pdf = Finish();
    EXPECT_EQ(ObjectText(pdf, number),
              "<</S /GoTo /D [" + std::to_string(first) + " 0 R /XYZ null 576 null ]\r\n>>\r\n");
    EXPECT_NE(pdf.find("/Kids [\r\n" + std::to_string(first) + " 0 R\r\n"), std::string::npos);
  }
}

TEST_F(Navigation, outlineTree_countsChildrenAndLinksSiblings) {
  Start();
  TPDFOutlines& outlines = document_.Outlines();
  TPDFOutlineNode& parent = outlines.AddOutline(nullptr, "Parent", 0, nullptr);
  TPDFOutlineNode& a = outlines.AddOutline(&parent, "A", 0, nullptr);
  TPDFOutlineNode& b = outlines.AddOutline(&parent, "B", 0, nullptr);
  outlines.AddOutline(&a, "A1", 0, nullptr);
  TPDFOutlineNode& c = outlines.AddOutline(&parent, "C", 0, nullptr);
  TPDFOutlineNode& top = outlines.AddOutline(nullptr, "Top", 0, nullptr);
  EXPECT_EQ(a.Next(), &b);
  EXPECT_EQ(c.Prev(), &b);
  EXPECT_EQ(top.Prev(), &parent);
  EXPECT_EQ(parent.ChildCount(), 3);
  const std::string pdf = Finish();

  // The tree takes the first number at save, then the nodes in creation order.
  const int64_t tree = ObjectWith(pdf, "/Type /Outlines");
  ASSERT_GT(tree, 0);
  const auto n = [&](int index) { return std::to_string(tree + 1 + index); };
  EXPECT_EQ(ObjectWith(pdf, "/Title (Top)"), tree + 6);
  EXPECT_EQ(ObjectText(pdf, tree + 1), "<</Title (Parent)\r\n/Count -3\r\n/First " + n(1) +
                                           " 0 R\r\n/Last " + n(4) + " 0 R\r\n/Parent " +
                                           std::to_string(tree) + " 0 R\r\n/Next " + n(5) +
                                           " 0 R\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, tree + 3), "<</Title (B)\r\n/Parent " + n(0) + " 0 R\r\n/Next " + n(4) +
                                           " 0 R\r\n/Prev " + n(1) + " 0 R\r\n>>\r\n");
  EXPECT_EQ(ObjectText(pdf, tree), "<</Type /Outlines\r\n/Count 6\r\n/First " + n(0) +
                                       " 0 R\r\n/Last " + n(5) + " 0 R\r\n>>\r\n");
  EXPECT_NE(pdf.find("/Outlines " + std::to_string(tree) + " 0 R\r\n>>"), std::string::npos);
}

TEST_F(Navigation, outlineTitles_areLiteralOrUnicodeByCharset) {
  Start();
  TPDFOutlines& outlines = document_.Outlines();
  outlines.AddOutline(nullptr, "a(b", 0, nullptr);
  outlines.AddOutline(nullptr, "A", 1, nullptr);
  outlines.AddOutline(nullptr, "\x80", 0, nullptr);
  outlines.AddOutline(nullptr, "\x80", 238, nullptr);
  outlines.AddOutline(nullptr, "\xC0", 204, nullptr);
  outlines.AddOutline(nullptr, u"\u4E2D\U0001F600", nullptr);
  outlines.AddOutline(nullptr, "", 204, nullptr);
  const char* kTitles[] = {"(a\\(b)",    "<FEFF0041>",         "(\x80)", "<FEFF20AC>",
                           "<FEFF0410>", "<FEFF4E2DD83DDE00>", "<>"};
  const std::string pdf = Finish();
  const int64_t tree = ObjectWith(pdf, "/Type /Outlines");
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(ObjectText(pdf, tree + 1 + i).substr(0, 9 + strlen(kTitles[i])),
              std::string("<</Title ") + kTitles[i]);
}

TEST_F(Navigation, colourAndStyle_areWrittenOnlyForVersion14) {
  for (TPDFVersion version : {v13, v14, v15}) {
    TPDFDocument document;
    TempPdf file("outline_style");
    document.SetFileName(file.Path());
    document.SetVersion(version);
    document.BeginDoc();
    TPDFOutlineNode& node = document.Outlines().AddOutline(nullptr, "S", 0, nullptr);
    node.SetColor(0x0000FF);  // red
    node.SetFontStyle(TPDFOutlineNode::fsBold | TPDFOutlineNode::fsItalic);
    document.EndDoc();
    const std::string pdf = file.Read();
    const std::string text = ObjectText(pdf, ObjectWith(pdf, "/Title (S)"));
    const bool written = text.find("/C [1 0 0 ]\r\n/F 3\r\n") != std::string::npos;
    EXPECT_EQ(written, version == v14) << text;
  }
}

TEST_F(Navigation, protectedStrings_areEncryptedWithTheirObjectNumbers) {
  document_.SetProtectionEnabled(true);
  Start();
  TPDFActionAnnotation& link =
      document_.CurrentPage().CreateURLAnnotation(0, 0, 10, 10, "http://secret.example/");
  document_.Outlines().AddOutline(nullptr, "Hidden", 1, nullptr);
  const FileKey key = document_.fileKey();
  const int64_t action = link.Action()->ObjectNumber();
  const std::string pdf = Finish();
  const int64_t node = ObjectWith(pdf, "/Type /Outlines") + 1;
  EXPECT_EQ(pdf.find("secret"), std::string::npos);
  EXPECT_EQ(ObjectText(pdf, action),
            "<</S /URI /URI (" +
                EscapeString(EncryptString(key, "http://secret.example/", action)) + ")\r\n>>\r\n");
  const std::string hex = EncryptHexString(key, ToUnicodeHex("Hidden", 1), node);
  EXPECT_EQ(hex.size(), 28u);
  EXPECT_NE(ObjectText(pdf, node).find("/Title <" + hex + ">"), std::string::npos);
}

TEST_F(Navigation, cyclicActionChain_isWrittenOnceEach) {
  Start();
  TPDFURLAction& a = document_.Actions().CreateURLAction("http://a/");
  TPDFURLAction& b = document_.Actions().CreateURLAction("http://b/");
  a.SetNextAction(&b);
  b.SetNextAction(&a);
  document_.RegisterAction(a);
  const int64_t first = a.ObjectNumber();
  const std::string pdf = Finish();
  const int64_t second = ObjectWith(pdf, "(http://b/)");
  EXPECT_EQ(ObjectText(pdf, second),
            "<</S /URI /URI (http://b/)\r\n/Next " + std::to_string(first) + " 0 R\r\n>>\r\n");
  EXPECT_EQ(pdf.find("(http://a/)"), pdf.rfind("(http://a/)"));
}

TEST_F(Navigation, goToBeyondTheLastPage_abortsTheDocument) {
  Start();
  document_.RegisterAction(document_.Actions().CreateGoToPageAction(5, 0));
  EXPECT_THROW(document_.EndDoc(), std::out_of_range);
  EXPECT_FALSE(document_.Active());
}

}  // namespace
}  // namespace pdf
