#include "support/emw_play_support.h"

#include <gtest/gtest.h>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emw_form_player.h"
#include "pdf/document.h"
#include "pdf/page.h"
#include "support/graphics_test_support.h"

namespace emw_test {

std::vector<std::string> PlayLines(const std::vector<uint8_t>& emf, int resolution,
                                   int* droppedRecords) {
  graphics_test::TempPdf file("emw_play");
  pdf::TPDFDocument document;
  document.SetFileName(file.Path());
  document.SetResolution(resolution);
  document.BeginDoc();
  const auto reader = emf2pdf::EmfReader::FromBytes(emf);
  emf2pdf::TEMWFormPlayer parser(reader);
  pdf::TPDFPage& page = document.CurrentPage();
  page.PlayMetaFile(parser, 0, 0, 1, 1);
  std::vector<std::string> lines;
  if (page.Forms().Count() == 1) {
    lines = graphics_test::ContentLines(page.Forms().Items(0));
    // Every picture closes what it opens, and nothing more.
    EXPECT_EQ(page.Forms().Items(0).StrayRestores(), 0);
  }
  document.Abort();
  if (droppedRecords) *droppedRecords = parser.DroppedRecords();
  // Every picture starts with the line cap and join of the options and the
  // default pen's width.
  if (lines.size() >= 3 && lines[0] == "2 J" && lines[1] == "2 j" && lines[2].ends_with(" w"))
    lines.erase(lines.begin(), lines.begin() + 3);
  else
    ADD_FAILURE() << "picture does not start with the line cap, join and width";
  return lines;
}

std::string PlayText(const std::vector<uint8_t>& emf, int resolution) {
  std::string text;
  for (const std::string& line : PlayLines(emf, resolution)) {
    if (!text.empty()) text += "\n";
    text += line;
  }
  return text;
}

}  // namespace emw_test
