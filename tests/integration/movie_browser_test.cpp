#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "app/html_page.h"
#include "app/html_text.h"
#include "emf2pdf/page_picture.h"
#include "support/image_tools.h"
#include "support/output_pages.h"
#include "support/silent_job.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr int kGrid = 8;

// The numbers of the JSON array after `"key":` (and after `"cells":` inside it).
std::vector<int> CellsOf(const std::string& json, const std::string& key) {
  std::vector<int> cells;
  const size_t at = json.find("\"" + key + "\"");
  const size_t open = json.find("\"cells\":[", at);
  if (at == std::string::npos || open == std::string::npos) return cells;
  const std::string list = json.substr(open + 9, json.find(']', open) - open - 9);
  const std::regex number("\\d+");
  for (std::sregex_iterator it(list.begin(), list.end(), number), end; it != end; ++it)
    cells.push_back(std::stoi(it->str()));
  return cells;
}

int NumberOf(const std::string& json, const std::string& key) {
  std::smatch match;
  return std::regex_search(json, match, std::regex("\"" + key + "\":(\\d+)")) ? std::stoi(match[1])
                                                                              : -1;
}

// A silent run makes the movie, MakeHTMLPage its page from the template beside
// the program, and the page opens through the loopback server. The movie's
// name is one that breaks an unescaped page or address. Ruffle in headless
// chromium then has to find one frame per page at the stage size, show the
// first page, and turn to the second on a click and on Right.
TEST(MovieInBrowser, silentMovieAndItsPage_playInRuffleOverLoopback) {
  testing_support::SilentJob job;
  const auto pages = testing_support::WriteTwoDistinctPages(job.folder().path());
  job.WritePages(pages);
  const std::string made = job.folder().file("movie.swf");
  job.WriteSettings(std::string(testing_support::SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"" + made + "\"\n\n" +
                    // Without the picture buttons the slide is the whole page.
                    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\SWFFormatOptions]\n"
                    "\"NavigationButtons\"=dword:00000000\n");
  const auto run = job.Run();
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  const std::string name = "Invoice #42 \"draft\" <svg onload=alert(1)> & Größe";
  const std::string movie = job.folder().file(name + ".swf");
  std::filesystem::rename(made, movie);

  platform::StandardErrorMessages messages;
  app::MakeHTMLPage(movie, "", 0, 0, nullptr, messages);
  const std::string page = job.folder().file(name + ".html");
  const std::string html = ReadFile(page);
  const auto stage = app::ReadSwfStageSize(movie);
  ASSERT_TRUE(stage);
  EXPECT_NE(html.find("width=\"" + std::to_string(stage->first) + "\""), std::string::npos);
  EXPECT_NE(html.find("<title>" + app::EscapeHtml(name) + ".swf</title>\r\n"), std::string::npos);

  const std::string opened = job.folder().file("opened.txt");
  const std::string opener = job.folder().file("opener.sh");
  WriteFile(opener, "#!/bin/sh\nprintf %s \"$1\" > " + opened + "\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  setenv("TALLOWCRAFT_OPENER", opener.c_str(), 1);
  app::OpenHtmlPage(page);
  unsetenv("TALLOWCRAFT_OPENER");
  const std::string address = ReadFile(opened);
  ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;
  const std::string folderAddress = address.substr(0, address.rfind('/') + 1);
  EXPECT_EQ(address, folderAddress + app::PercentEncodeSegment(name) + ".html");

  const auto json = testing_support::CommandOutput(
      "node " TALLOWCRAFT_SOURCE_DIR "/tests/browser/movie_check.mjs '" + address + "' " +
      std::to_string(kGrid) + " " + std::to_string(kGrid));
  ASSERT_TRUE(json);
  EXPECT_NE(json->find("\"errors\":[]"), std::string::npos) << *json;
  // The browser read the title as the name, and fetched the movie under the token.
  EXPECT_NE(json->find("\"title\":\"Invoice #42 \\\"draft\\\" <svg onload=alert(1)> & Größe.swf\""),
            std::string::npos)
      << *json;
  EXPECT_NE(
      json->find("\"movies\":[\"200 " + folderAddress + app::PercentEncodeSegment(name) + ".swf\""),
      std::string::npos)
      << *json;
  EXPECT_EQ(NumberOf(*json, "numFrames"), 2) << *json;
  EXPECT_EQ(NumberOf(*json, "width"), stage->first);
  EXPECT_EQ(NumberOf(*json, "height"), stage->second);

  std::vector<std::vector<int>> expected;
  for (const auto& file : pages) {
    const auto picture = emf2pdf::PagePicture::Load(file);
    expected.push_back(
        testing_support::GreyGrid(picture.Render(stage->first, stage->second), kGrid, kGrid));
  }
  EXPECT_LT(testing_support::GridDistance(CellsOf(*json, "initial"), expected[0]), 24) << *json;
  EXPECT_LT(testing_support::GridDistance(CellsOf(*json, "afterClick"), expected[1]), 24) << *json;
  EXPECT_LT(testing_support::GridDistance(CellsOf(*json, "afterRight"), expected[1]), 24) << *json;
}

}  // namespace
