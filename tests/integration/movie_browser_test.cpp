#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "app/html_page.h"
#include "app/page_server.h"
#include "emf2pdf/page_picture.h"
#include "support/image_tools.h"
#include "support/output_pages.h"
#include "support/silent_job.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr int kGrid = 8;

std::string BinFolder() { return std::filesystem::path(TALLOWCRAFT_BIN).parent_path().string(); }

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
// the program, and the page opens through the loopback server. Ruffle in
// headless chromium then has to find one frame per page at the stage size,
// show the first page, and turn to the second on a click and on Right.
TEST(MovieInBrowser, silentMovieAndItsPage_playInRuffleOverLoopback) {
  testing_support::SilentJob job;
  const auto pages = testing_support::WriteTwoDistinctPages(job.folder().path());
  job.WritePages(pages);
  const std::string movie = job.folder().file("movie.swf");
  job.WriteSettings(std::string(testing_support::SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"" + movie + "\"\n\n" +
                    // Without the picture buttons the slide is the whole page.
                    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\SWFFormatOptions]\n"
                    "\"NavigationButtons\"=dword:00000000\n");
  const auto run = job.Run();
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;

  app::MakeHTMLPage(movie, "", 0, 0, nullptr);
  const std::string page = job.folder().file("movie.html");
  const std::string html = ReadFile(page);
  const auto stage = app::ReadSwfStageSize(movie);
  ASSERT_TRUE(stage);
  EXPECT_NE(html.find("width=\"" + std::to_string(stage->first) + "\""), std::string::npos);
  EXPECT_NE(html.find("<title>movie.swf</title>\r\n"), std::string::npos);

  const std::string opened = job.folder().file("opened.txt");
  const std::string opener = job.folder().file("opener.sh");
  WriteFile(opener, "#!/bin/sh\nprintf %s \"$1\" > " + opened + "\n");
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  setenv("TALLOWCRAFT_OPENER", opener.c_str(), 1);
  app::OpenHtmlPage(page);
  unsetenv("TALLOWCRAFT_OPENER");
  const std::string address = ReadFile(opened);
  ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;

  const auto json = testing_support::CommandOutput(
      "node " TALLOWCRAFT_SOURCE_DIR "/tests/browser/movie_check.mjs '" + address + "' " +
      std::to_string(kGrid) + " " + std::to_string(kGrid));
  ASSERT_TRUE(json);
  EXPECT_NE(json->find("\"errors\":[]"), std::string::npos) << *json;
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

TEST(PageServer, requests_reachOnlyFilesInsideItsFolders) {
  testing_support::TempFolder root;
  testing_support::TempFolder player;
  WriteFile(root.file("movie.html"), "page");
  WriteFile(player.file("ruffle.js"), "player");
  std::filesystem::create_symlink("/etc/passwd", root.file("link"));
  const app::PageServerSettings settings{root.path(), player.path(), 1};
  const struct {
    const char* target;
    std::string expected;
  } kCases[] = {{"/movie.html?x=1", root.file("movie.html")},
                {"/movie%2Ehtml", root.file("movie.html")},
                {"/ruffle/ruffle.js", player.file("ruffle.js")},
                {"/../etc/passwd", ""},
                {"/ruffle/%2e%2e/%2e%2e/etc/passwd", ""},
                {"/link", ""},
                {"/", ""},
                {"/movie.html%00", ""},
                {"movie.html", ""}};
  for (const auto& c : kCases) {
    const std::string resolved = app::ResolveRequestPath(settings, c.target);
    EXPECT_EQ(resolved.empty() ? "" : std::filesystem::canonical(resolved).string(),
              c.expected.empty() ? "" : std::filesystem::canonical(c.expected).string())
        << c.target;
  }
  EXPECT_EQ(app::MediaTypeFor("/x/core.WASM"), "application/wasm");
}

TEST(PageServer, endsByItselfWhenIdle) {
  testing_support::TempFolder root;
  // timeout(1) answers 124 if the server were still running after 30 s.
  const auto result = testing_support::RunProgram(
      "timeout", {"30", BinFolder() + "/tallowcraft-page-server", root.path(), root.path(), "1"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_GT(std::atoi(result.standardOutput.c_str()), 0);
}

}  // namespace
