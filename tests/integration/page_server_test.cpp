#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/html_page.h"
#include "support/http_request.h"
#include "support/image_tools.h"
#include "support/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::HeaderOf;
using testing_support::HttpRequest;
using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr char kPage[] = "Invoice #42 (draft).html";
constexpr char kMovie[] = "Invoice #42 (draft).swf";
constexpr char kPageSegment[] = "Invoice%20%2342%20%28draft%29.html";
constexpr char kMovieSegment[] = "Invoice%20%2342%20%28draft%29.swf";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A page folder with what must stay private beside the page (a hidden file,
// a file in a mode-700 folder, a link out), a player folder, and the server
// started for them as the program starts it.
class ServedPage {
 public:
  ServedPage(int idleSeconds, int requestSeconds) {
    namespace fs = std::filesystem;
    WriteFile(folder_.file(kPage), "<html>page</html>");
    WriteFile(folder_.file(kMovie), "FWS movie");
    WriteFile(folder_.file(".hidden"), "secret");
    fs::create_directory(folder_.file("private"));
    WriteFile(folder_.file("private/secret"), "secret");
    fs::permissions(folder_.file("private"), fs::perms::owner_all);
    fs::create_symlink("/etc/passwd", folder_.file("link"));
    WriteFile(player_.file("ruffle.js"), "player");
    WriteFile(player_.file("core.wasm"), std::string("\0asm", 4));
    WriteFile(player_.file(".hidden.js"), "secret");
    fs::create_symlink("/etc/passwd", player_.file("escape.js"));
    process_ = app::StartPageServer(
        {folder_.file(kPage), folder_.file(kMovie), player_.path(), idleSeconds, requestSeconds});
    const std::string& url = process_.url;
    const size_t path = url.find('/', 7);
    port_ = std::atoi(url.c_str() + url.find(':', 5) + 1);
    pagePath_ = url.substr(path);
    tokenPath_ = pagePath_.substr(0, pagePath_.find('/', 1) + 1);
  }
  ~ServedPage() {
    if (Ended()) return;
    kill(process_.pid, SIGTERM);
    waitpid(process_.pid, nullptr, 0);
  }

  int port() const { return port_; }
  int pid() const { return process_.pid; }
  const std::string& pagePath() const { return pagePath_; }
  // "/TOKEN/"
  const std::string& tokenPath() const { return tokenPath_; }

  bool Ended() {
    if (!ended_) ended_ = waitpid(process_.pid, nullptr, WNOHANG) == process_.pid;
    return ended_;
  }
  // A line of the server's /proc/PID/status as a number.
  int Status(const std::string& key) const {
    const std::string status = ReadFile("/proc/" + std::to_string(process_.pid) + "/status");
    const size_t at = status.find("\n" + key + ":");
    return at == std::string::npos ? -1 : std::atoi(status.c_str() + at + key.size() + 2);
  }

 private:
  testing_support::TempFolder folder_;
  testing_support::TempFolder player_;
  app::PageServerProcess process_;
  int port_ = 0;
  std::string pagePath_;
  std::string tokenPath_;
  bool ended_ = false;
};

// The status another user gets: nobody, where this test may switch to it.
std::string StatusAsNobody(int port, const std::string& target) {
  const std::string asNobody =
      geteuid() == 0 && testing_support::HaveTool("runuser") ? "runuser -u nobody -- " : "";
  const auto output = testing_support::CommandOutput(
      asNobody + "node -e \"require('http').get({host: '127.0.0.1', port: " + std::to_string(port) +
      ", path: process.argv[1]}, (r) => console.log(r.statusCode))"
      ".on('error', (e) => console.log(e.message))\" '" +
      target + "'");
  return output ? output->substr(0, output->find('\n')) : "no node";
}

TEST(PageServer, servesThePageItsMovieAndThePlayerUnderItsTokenAndNothingElse) {
  ServedPage served(30, 10);
  const std::string token = served.tokenPath();
  ASSERT_EQ(served.pagePath(), token + kPageSegment);
  EXPECT_EQ(token.size(), 2u + 32u) << token;
  const std::string commandLine = ReadFile("/proc/" + std::to_string(served.pid()) + "/cmdline");
  EXPECT_EQ(commandLine.find(token.substr(1, 32)), std::string::npos);

  const struct {
    std::string target;
    std::string type;
  } kServed[] = {{served.pagePath(), "text/html; charset=utf-8"},
                 {token + kMovieSegment, "application/x-shockwave-flash"},
                 {token + "ruffle/ruffle.js", "text/javascript"},
                 {token + "ruffle/core.wasm", "application/wasm"}};
  for (const auto& c : kServed) {
    const auto answer = HttpRequest(served.port(), c.target);
    EXPECT_EQ(answer.status, 200) << c.target;
    EXPECT_EQ(HeaderOf(answer, "Content-Type"), c.type) << c.target;
    EXPECT_EQ(HeaderOf(answer, "Cache-Control"), "no-store") << c.target;
  }
  EXPECT_EQ(HttpRequest(served.port(), served.pagePath()).body, "<html>page</html>");
  const auto head = HttpRequest(served.port(), served.pagePath(), "HEAD");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");

  std::string wrongToken = token;
  wrongToken[5] = wrongToken[5] == '0' ? '1' : '0';
  const std::string kHidden[] = {"/",
                                 std::string("/") + kPageSegment,
                                 wrongToken + kPageSegment,
                                 token,
                                 token + ".hidden",
                                 token + "private/secret",
                                 token + "private%2Fsecret",
                                 token + "link",
                                 token + "ruffle/",
                                 token + "ruffle/.hidden.js",
                                 token + "ruffle/escape.js",
                                 token + "ruffle/..%2F" + kPageSegment,
                                 served.pagePath() + "%00"};
  for (const auto& target : kHidden)
    EXPECT_EQ(HttpRequest(served.port(), target).status, 404) << target;

  const std::string port = std::to_string(served.port());
  for (const std::string& host :
       {"evil.example:" + port, std::string("127.0.0.1:1"), std::string("127.0.0.1")})
    EXPECT_EQ(HttpRequest(served.port(), served.pagePath(), "GET", host).status, 403) << host;
  EXPECT_EQ(HttpRequest(served.port(), served.pagePath(), "GET", "LocalHost:" + port).status, 200);
  EXPECT_EQ(HttpRequest(served.port(), served.pagePath(), "POST").status, 405);

  // Another user who finds the port finds nothing without the token.
  EXPECT_EQ(StatusAsNobody(served.port(), std::string("/") + kPageSegment), "404");
  EXPECT_EQ(StatusAsNobody(served.port(), token + ".hidden"), "404");
  EXPECT_EQ(StatusAsNobody(served.port(), served.pagePath()), "200");
}

// Only answered requests for the page's files keep the server: refused
// requests and a client trickling one byte at a time do not, and the
// trickling connection ends at its deadline although it never falls silent.
TEST(PageServer, refusedRequestsAndTricklingClientsKeepNothingAlive) {
  const int kIdle = 2, kRequest = 1;
  ServedPage served(kIdle, kRequest);
  const int trickle = testing_support::ConnectLoopback(served.port());
  ASSERT_GE(trickle, 0);
  const auto opened = Clock::now();
  const std::string head = "GET " + served.pagePath() + " HTTP/1.1\r\nX: ";
  double trickleEnded = -1;
  auto answered = Clock::now();
  for (size_t sent = 0; !served.Ended() && SecondsSince(opened) < 10; ++sent) {
    if (trickleEnded < 0) {
      const char byte = sent < head.size() ? head[sent] : 'x';
      char scratch[64];
      if (send(trickle, &byte, 1, MSG_NOSIGNAL) != 1 ||
          recv(trickle, scratch, sizeof scratch, MSG_DONTWAIT) == 0)
        trickleEnded = SecondsSince(opened);
    }
    if (sent == 3) {
      ASSERT_EQ(HttpRequest(served.port(), served.pagePath()).status, 200);
      answered = Clock::now();
    }
    HttpRequest(served.port(), served.pagePath(), "GET", "evil.example");
    HttpRequest(served.port(), served.tokenPath() + ".hidden");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  close(trickle);
  const double lived = SecondsSince(answered);
  ASSERT_TRUE(served.Ended());
  EXPECT_GE(lived, kIdle - 0.05);
  EXPECT_LT(lived, kIdle + kRequest + 1.5);
  EXPECT_GT(trickleEnded, 0.0);
  EXPECT_LT(trickleEnded, kRequest + 1.0);
}

// Hundreds of idle connections neither keep the page from the browser nor
// make the server grow: one thread, a bounded number of sockets.
TEST(PageServer, aCrowdOfIdleConnectionsLeavesThePageServedAndTheServerBounded) {
  ServedPage served(30, 10);
  std::vector<int> crowd;
  for (int i = 0; i < 300; ++i) crowd.push_back(testing_support::ConnectLoopback(served.port()));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(HttpRequest(served.port(), served.pagePath()).status, 200);
  EXPECT_EQ(served.Status("Threads"), 1);
  const auto fds = std::distance(
      std::filesystem::directory_iterator("/proc/" + std::to_string(served.pid()) + "/fd"),
      std::filesystem::directory_iterator());
  EXPECT_LE(fds, 64 + 16);
  for (const int fd : crowd)
    if (fd >= 0) close(fd);
}

}  // namespace
