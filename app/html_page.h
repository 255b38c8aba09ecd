#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/page_server.h"
#include "platform/message_box.h"

namespace app {

// Asked before an existing page is replaced: the question's text and
// caption; true replaces.
using ConfirmReplace = std::function<bool(const std::string& text, const std::string& caption)>;

// Makes the HTML page of a movie from "HTMLPageTemplate.html" beside the
// program: the movie's name with ".html", the placeholders replaced in
// order, lines ended by CR LF. An empty title gives the movie's file name.
// Width or height 0 take the movie's own stage size from its header, so the
// movie is never invisible. Without the template it says "HTMLPageTemplate.html
// not found" (caption "Error") through `messages` and makes nothing; an
// existing page is replaced only when `confirm` agrees. The page goes through
// a temporary file.
void MakeHTMLPage(const std::string& movieFile, const std::string& title, int width, int height,
                  const ConfirmReplace& confirm, platform::MessagePresenter& messages);

// The same with the template given, for tests and tools.
void MakeHTMLPageFrom(const std::string& templateFile, const std::string& movieFile,
                      const std::string& title, int width, int height,
                      const ConfirmReplace& confirm, platform::MessagePresenter& messages);

// The template text with the placeholders replaced in order, each escaped
// for where it stands: the title as HTML text, the movie's name in an
// attribute as a percent-encoded URL path segment; inside a tag outside a
// quoted value, in URL, event or style attributes and in scripts and styles
// every value stands percent-encoded, the one form that ends nothing there.
std::string FillHtmlTemplate(const std::string& text, const std::string& title,
                             const std::string& movieName, int width, int height);

// The stage size of a movie in pixels, from its header ("FWS" or "CWS").
std::optional<std::pair<int, int>> ReadSwfStageSize(const std::string& movieFile);

// A page server started for a page: its process (a child of this one, in a
// session of its own, so that it outlives this program) and the page's
// address, which holds the server's secret token.
struct PageServerProcess {
  int pid = 0;
  std::string url;
};

// Starts tallowcraft-page-server beside the program and reads the address it
// prints. Throws std::runtime_error.
PageServerProcess StartPageServer(const PageServerSettings& settings);

// Opens a page made by MakeHTMLPage in the browser: starts the page server
// for the page, its movie (by default the page's name with ".swf") and the
// Ruffle folder beside the program (it ends by itself when idle) and opens its
// loopback address with xdg-open. Throws std::runtime_error.
void OpenHtmlPage(const std::string& pageFile, const std::string& movieFile = {});

}  // namespace app
