#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/output_names.h"
#include "platform/message_box.h"
#include "support/temp_folder.h"

namespace app {
namespace {

TEST(SanitizeDocumentName, removesTheFifteenReservedCharactersOnly) {
  EXPECT_EQ(SanitizeDocumentName("a\"$%&*/:<=>?[\\]|b \x01\xc3\xa9"), "ab \x01\xc3\xa9");
}

TEST(ProposedFileName, takesTheNamePartWithoutExtensionAndAddsTheTypes) {
  const struct {
    const char* document;
    int index;
    const char* proposed;
  } kCases[] = {
      {"Budget <draft> 50%.xls", 2, "Budget draft 50.pdf"},
      {"C:\\reports\\q1.v2.doc", 1, "q1.v2.swf"},
      {"/home/ann/scan", 4, "scan.jpg"},
      {"D:notes.txt", 3, "notes"},
      {"Report.xls", 0, "Report"},
      {"", 2, "Printer.pdf"},
      {"http://example.com/", 2, "Printer.pdf"},
      {"..", 1, "Printer.swf"},
      {". .xls", 4, "Printer.jpg"},
      {"scan.xls", 5, "scan.png"},
      {"fax.doc", 6, "fax.tif"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(ProposedFileName(c.document, c.index), c.proposed) << c.document;
}

TEST(FilterIndexForName, aTypedExtensionPicksTheTypeThatMakesIt) {
  const struct {
    const char* name;
    int selected;
    int index;
  } kCases[] = {
      {"/t/out.pdf", 1, 2}, {"/t/out.PDF", 4, 2}, {"/t/out.swf", 2, 1},  {"/t/out.jpg", 3, 4},
      {"/t/out.pdf", 3, 3}, {"/t/out.swf", 3, 3}, {"/t/out.txt", 1, 1},  {"/t/out", 2, 2},
      {"/t.pdf/out", 1, 1}, {"/t/out.png", 3, 5}, {"/t/out.Tiff", 2, 6}, {"/t/out.tif", 5, 6},
      {"/t/out.jpg", 6, 4}, {"/t/out.png", 5, 5},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(FilterIndexForName(c.name, c.selected), c.index) << c.name << " " << c.selected;
}

TEST(CompleteFileName, appendsTheTypesExtensionOnlyWhenThereIsNone) {
  EXPECT_EQ(CompleteFileName("/t/out", 2), "/t/out.pdf");
  EXPECT_EQ(CompleteFileName("/t/out", 3), "/t/out");
  EXPECT_EQ(CompleteFileName("/t/out.txt", 4), "/t/out.txt");
}

// Records every question and answers from a script.
class ScriptedAnswers final : public platform::MessagePresenter {
 public:
  std::vector<std::string> asked;
  std::vector<platform::MessageAnswer> answers;

 protected:
  platform::MessageAnswer Present(const std::string& text, const std::string& caption,
                                  platform::MessageIcon, platform::MessageButtons) override {
    asked.push_back(caption + ": " + text);
    const auto answer = answers.empty() ? platform::MessageAnswer::No : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  }
};

TEST(OutputKind, bothModesChooseFromTheSameKinds) {
  EXPECT_EQ(OutputKindOfFilter(kFilterSwf), OutputKind::Movie);
  EXPECT_EQ(OutputKindOfFilter(kFilterPdf), OutputKind::Pdf);
  EXPECT_EQ(OutputKindOfFilter(kFilterSwfAndPdf), OutputKind::MovieAndPdf);
  EXPECT_EQ(OutputKindOfFilter(kFilterJpeg), OutputKind::JpegPages);
  EXPECT_EQ(OutputKindOfFilter(5), OutputKind::PngPages);
  EXPECT_EQ(OutputKindOfFilter(6), OutputKind::TiffDocument);
  EXPECT_EQ(OutputKindOfFilter(0), std::nullopt);
  EXPECT_EQ(OutputKindOfFilter(7), std::nullopt);
  EXPECT_EQ(OutputKindOfFormat("pdf"), OutputKind::Pdf);
  EXPECT_EQ(OutputKindOfFormat("swf"), OutputKind::Movie);
  EXPECT_EQ(OutputKindOfFormat("jpg"), OutputKind::JpegPages);
  EXPECT_EQ(OutputKindOfFormat("png"), OutputKind::PngPages);
  EXPECT_EQ(OutputKindOfFormat("tif"), OutputKind::TiffDocument);
  EXPECT_EQ(OutputKindOfFormat("gif"), std::nullopt);
  EXPECT_EQ(OutputKindOfFormat(""), std::nullopt);
  for (const auto kind : {OutputKind::Movie, OutputKind::Pdf, OutputKind::MovieAndPdf,
                          OutputKind::JpegPages, OutputKind::PngPages, OutputKind::TiffDocument}) {
    EXPECT_EQ(MakesMovie(kind), kind == OutputKind::Movie || kind == OutputKind::MovieAndPdf);
    EXPECT_EQ(MakesPdf(kind), kind == OutputKind::Pdf || kind == OutputKind::MovieAndPdf);
    EXPECT_EQ(MakesPictures(kind), !MakesMovie(kind) && !MakesPdf(kind));
  }
}

TEST(ConfirmOverwrite, asksForEachExistingFileOfTheTypeInOrder) {
  testing_support::TempFolder folder;
  for (const char* name : {"movie.swf", "movie.pdf", "scan.jpg"})
    testing_support::WriteFile(folder.file(name), "x");
  const std::string movie = folder.file("movie.swf");
  ScriptedAnswers messages;
  const struct {
    std::string name;
    OutputKind output;
    std::vector<platform::MessageAnswer> answers;
    bool result;
    std::vector<std::string> files;
  } kCases[] = {
      {movie,
       OutputKind::MovieAndPdf,
       {platform::MessageAnswer::Yes, platform::MessageAnswer::Yes},
       true,
       {"movie.swf", "movie.pdf"}},
      {movie, OutputKind::MovieAndPdf, {platform::MessageAnswer::No}, false, {"movie.swf"}},
      {movie, OutputKind::Pdf, {platform::MessageAnswer::No}, false, {"movie.pdf"}},
      {folder.file("scan"),
       OutputKind::JpegPages,
       {platform::MessageAnswer::Yes},
       true,
       {"scan.jpg"}},
      {folder.file("new.pdf"), OutputKind::Pdf, {}, true, {}},
      {folder.file("movie.pdf"),
       OutputKind::Movie,
       {platform::MessageAnswer::No},
       false,
       {"movie.swf"}},
  };
  for (const auto& c : kCases) {
    messages.asked.clear();
    messages.answers = c.answers;
    EXPECT_EQ(ConfirmOverwrite(messages, c.name, c.output), c.result) << c.name;
    std::vector<std::string> expected;
    for (const auto& file : c.files)
      expected.push_back("Replace File: File \"" + folder.file(file) +
                         "\" already exists.\r\nDo you want to overwrite file?");
    EXPECT_EQ(messages.asked, expected);
  }
}

// The numbered pages a JPEG job writes are the files asked about, in one
// question; the unnumbered name is not written by a job of several pages.
TEST(ConfirmOverwrite, jpegPagesOfSeveralPages_areAskedAboutInOneQuestion) {
  testing_support::TempFolder folder;
  for (const char* name : {"photo.jpg", "photo1.jpg", "photo2.jpg"})
    testing_support::WriteFile(folder.file(name), "x");
  ScriptedAnswers messages;
  messages.answers = {platform::MessageAnswer::No};
  EXPECT_FALSE(ConfirmOverwrite(messages, folder.file("photo.jpg"), OutputKind::JpegPages, 3));
  EXPECT_EQ(messages.asked,
            std::vector<std::string>{
                "Replace File: These files already exist:\r\n" + folder.file("photo1.jpg") +
                "\r\n" + folder.file("photo2.jpg") + "\r\nDo you want to overwrite them?"});
  // PNG pages are the same files with their own extension.
  messages.asked.clear();
  EXPECT_TRUE(ConfirmOverwrite(messages, folder.file("photo.jpg"), OutputKind::PngPages, 3));
  EXPECT_TRUE(messages.asked.empty());
  messages.asked.clear();
  messages.answers = {platform::MessageAnswer::No};
  EXPECT_FALSE(ConfirmOverwrite(messages, folder.file("photo"), OutputKind::JpegPages, 1));
  EXPECT_EQ(messages.asked.size(), 1u);
  std::remove(folder.file("photo1.jpg").c_str());
  std::remove(folder.file("photo2.jpg").c_str());
  messages.asked.clear();
  EXPECT_TRUE(ConfirmOverwrite(messages, folder.file("photo.jpg"), OutputKind::JpegPages, 2));
  EXPECT_TRUE(messages.asked.empty());
}

TEST(FilesToWrite, movieNamesTakeTheMovieExtension) {
  EXPECT_EQ(FilesToWrite("/t/Both", OutputKind::MovieAndPdf, 2, true),
            (std::vector<std::string>{"/t/Both.swf", "/t/Both.pdf", "/t/Both.html"}));
  EXPECT_EQ(FilesToWrite("/t/Both.pdf", OutputKind::MovieAndPdf, 1, false),
            (std::vector<std::string>{"/t/Both.swf", "/t/Both.pdf"}));
  EXPECT_EQ(FilesToWrite("/t/a.SWF", OutputKind::Movie, 1, false),
            std::vector<std::string>{"/t/a.SWF"});
  EXPECT_EQ(FilesToWrite("/t/scan.jpeg", OutputKind::JpegPages, 2, true),
            (std::vector<std::string>{"/t/scan1.jpg", "/t/scan2.jpg"}));
  EXPECT_EQ(FilesToWrite("/t/scan.tif", OutputKind::PngPages, 2, false),
            (std::vector<std::string>{"/t/scan1.png", "/t/scan2.png"}));
  EXPECT_EQ(FilesToWrite("/t/fax.TIFF", OutputKind::TiffDocument, 3, false),
            std::vector<std::string>{"/t/fax.TIFF"});
  EXPECT_EQ(FilesToWrite("/t/fax.png", OutputKind::TiffDocument, 3, false),
            std::vector<std::string>{"/t/fax.tif"});
}

}  // namespace
}  // namespace app
