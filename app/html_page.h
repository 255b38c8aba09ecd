#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace app {

// Asked before an existing page is replaced: the question's text and
// caption; true replaces.
using ConfirmReplace = std::function<bool(const std::string& text, const std::string& caption)>;

// Makes the HTML page of a movie from "HTMLPageTemplate.html" beside the
// program: the movie's name with ".html", the placeholders replaced in
// order, lines ended by CR LF. An empty title gives the movie's file name.
// Width or height 0 take the movie's own stage size from its header, so the
// movie is never invisible. Without the template it says "HTMLPageTemplate.html
// not found" (caption "Error") and makes nothing; an existing page is
// replaced only when `confirm` agrees. The page goes through a temporary file.
void MakeHTMLPage(const std::string& movieFile, const std::string& title, int width, int height,
                  const ConfirmReplace& confirm);

// The same with the template given, for tests and tools.
void MakeHTMLPageFrom(const std::string& templateFile, const std::string& movieFile,
                      const std::string& title, int width, int height,
                      const ConfirmReplace& confirm);

// The template text with the placeholders replaced.
std::string FillHtmlTemplate(const std::string& text, const std::string& title,
                             const std::string& movieName, int width, int height);

// The stage size of a movie in pixels, from its header ("FWS" or "CWS").
std::optional<std::pair<int, int>> ReadSwfStageSize(const std::string& movieFile);

// Opens a page made by MakeHTMLPage in the browser: starts the page server
// beside the program for the page's folder (it ends by itself when idle) and
// opens its loopback address with xdg-open. Throws std::runtime_error.
void OpenHtmlPage(const std::string& pageFile);

}  // namespace app
