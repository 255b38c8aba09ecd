#include "support/emw_play_support.h"

#include <gtest/gtest.h>

#include <functional>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emw_form_player.h"
#include "emf2pdf/trace_device.h"
#include "pdf/document.h"
#include "pdf/page.h"
#include "support/graphics_test_support.h"

namespace emw_test {

namespace {

// The form's content lines of `emf` played at `resolution`, traced by
// `trace` when one is given.
std::vector<std::string> Play(const std::vector<uint8_t>& emf, int resolution,
                              emf2pdf::PageTrace* trace, int* droppedRecords = nullptr) {
  graphics_test::TempPdf file("emw_play");
  pdf::TPDFDocument document;
  document.SetFileName(file.Path());
  document.SetResolution(resolution);
  document.BeginDoc();
  const auto reader = emf2pdf::EmfReader::FromBytes(emf);
  emf2pdf::TEMWFormPlayer parser(reader);
  parser.SetTrace(trace);
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
  return lines;
}

}  // namespace

std::vector<std::string> PlayLines(const std::vector<uint8_t>& emf, int resolution,
                                   int* droppedRecords) {
  std::vector<std::string> lines = Play(emf, resolution, nullptr, droppedRecords);
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

std::vector<std::string> TraceLines(const std::vector<uint8_t>& emf, emf2pdf::TraceMode mode,
                                    std::vector<std::string>* formLines) {
  std::vector<std::string> trace;
  emf2pdf::PageTrace pageTrace(mode, 1, "page.emf", 1,
                               [&trace](const std::string& line) { trace.push_back(line); });
  std::vector<std::string> lines = Play(emf, 72, &pageTrace);
  pageTrace.Finish();
  if (formLines) *formLines = std::move(lines);
  return trace;
}

std::vector<std::string> RecordTrace(const std::vector<uint8_t>& emf) {
  std::vector<std::string> lines = TraceLines(emf);
  std::erase_if(lines, [](const std::string& line) {
    return !line.starts_with("  @") && !line.starts_with("    ");
  });
  return lines;
}

std::vector<std::string> FormLines(const std::vector<uint8_t>& emf) {
  return Play(emf, 72, nullptr);
}

}  // namespace emw_test
