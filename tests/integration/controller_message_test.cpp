#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/window_message.h"
#include "support/output_pages.h"
#include "support/pdf_inspect.h"
#include "support/silent_job.h"
#include "support/xvfb_session.h"

// Xlib's macros (None, Bool) clash with GoogleTest's names: included last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

using testing_support::SilentJob;

// An X server of its own for the test, and a controller window on it.
class ControllerMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = ":" + std::to_string(70 + getpid() % 200);
    const char* argv[] = {"Xvfb", display_.c_str(), "-nolisten", "tcp", nullptr};
    ASSERT_EQ(
        posix_spawnp(&server_, "Xvfb", nullptr, nullptr, const_cast<char* const*>(argv), environ),
        0);
    for (int i = 0; i < 100 && x_ == nullptr; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      x_ = XOpenDisplay(display_.c_str());
    }
    ASSERT_NE(x_, nullptr) << "Xvfb did not start";
    window_ = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 10, 10, 0, 0, 0);
    XStoreName(x_, window_, "Job Controller");
    XClassHint hint{const_cast<char*>("controller"), const_cast<char*>("JobControl")};
    XSetClassHint(x_, window_, &hint);
    XMapWindow(x_, window_);
    XSync(x_, False);
  }
  void TearDown() override {
    if (x_ != nullptr) XCloseDisplay(x_);
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }

  // The message numbers that arrived, after the sender has finished; 32 bits
  // on the wire, which Xlib widens with their sign.
  std::vector<uint32_t> Received() {
    std::vector<uint32_t> numbers;
    XSync(x_, False);
    while (XPending(x_) > 0) {
      XEvent event;
      XNextEvent(x_, &event);
      if (event.type == ClientMessage &&
          event.xclient.message_type == XInternAtom(x_, platform::kMessageAtom, False) &&
          event.xclient.data.l[1] == 0 && event.xclient.data.l[2] == 0)
        numbers.push_back(static_cast<uint32_t>(event.xclient.data.l[0]));
    }
    return numbers;
  }

  testing_support::ProgramResult RunJob(const std::string& controllerValues, bool good) {
    SilentJob job;
    auto pages = testing_support::WriteTwoDistinctPages(job.folder().path());
    if (!good) testing_support::WriteFile(pages[1], "not a metafile");
    job.WritePages(pages);
    job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                      "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"a.pdf\"\n" +
                      controllerValues);
    return job.Run({"DISPLAY=" + display_});
  }

  std::string display_;
  pid_t server_ = 0;
  Display* x_ = nullptr;
  Window window_ = 0;
};

TEST_F(ControllerMessage, finishedJob_sendsTheNumberToTheWindowFoundByTitleClassOrId) {
  const struct {
    const char* what;
    std::string values;
    std::vector<uint32_t> expected;
  } kCases[] = {
      {"by title", "\"ControllerWindowCaption\"=\"Job Controller\"\n", {1025}},
      {"title before class",
       "\"ControllerWindowCaption\"=\"Job Controller\"\n\"ControllerWindowClass\"=\"None\"\n",
       {1025}},
      {"by class", "\"ControllerWindowClass\"=\"JobControl\"\n", {1025}},
      {"by id", "\"ControllerWindowHandle\"=\"" + std::to_string(window_) + "\"\n", {1025}},
      {"no such title", "\"ControllerWindowCaption\"=\"Other\"\n", {}},
  };
  for (const auto& c : kCases) {
    const auto result = RunJob("\"FinishedWindowMessageID\"=\"1025\"\n" + c.values, true);
    EXPECT_EQ(result.exitStatus, 0) << c.what << result.standardError;
    EXPECT_EQ(Received(), c.expected) << c.what;
  }
  const auto noNumber =
      RunJob("\"ControllerWindowHandle\"=\"" + std::to_string(window_) + "\"\n", true);
  EXPECT_EQ(noNumber.exitStatus, 0);
  EXPECT_TRUE(Received().empty());
}

TEST_F(ControllerMessage, numbersOutsideTheMessageRange_areRefusedAndNamed) {
  const struct {
    const char* number;
    std::vector<uint32_t> expected;
    bool refused;
  } kCases[] = {
      {"4294967295", {4294967295u}, false},
      {"4294967296", {}, true},
      {"-1", {}, true},
      {"-4294967295", {}, true},
      {"99999999999999999999", {}, true},
      {"0", {}, false},
      {"", {}, false},
      {"10x", {}, false},
  };
  for (const auto& c : kCases) {
    const auto result = RunJob(std::string("\"FinishedWindowMessageID\"=\"") + c.number +
                                   "\"\n\"ControllerWindowCaption\"=\"Job Controller\"\n",
                               true);
    EXPECT_EQ(result.exitStatus, 0) << c.number << result.standardError;
    EXPECT_EQ(Received(), c.expected) << c.number;
    if (c.refused)
      EXPECT_NE(result.standardError.find(std::string("FinishedWindowMessageID \"") + c.number +
                                          "\" is not a message number"),
                std::string::npos)
          << c.number << result.standardError;
    else
      EXPECT_EQ(result.standardError, "") << c.number;
  }
}

TEST_F(ControllerMessage, failedJob_sendsNothing) {
  const auto result = RunJob(
      "\"FinishedWindowMessageID\"=\"1025\"\n\"ControllerWindowCaption\"=\"Job Controller\"\n",
      false);
  EXPECT_NE(result.exitStatus, 0);
  EXPECT_TRUE(Received().empty());
}

// A server that accepts the connection but never answers (stopped) must not
// keep the finished run from ending, nor change its status.
TEST(ControllerMessageToSilentServer, runEndsInTimeWithItsOutputAndSaysWhy) {
  testing_support::XvfbSession server;
  SilentJob job;
  const std::string pdf = job.folder().file("a.pdf");
  job.WriteSettings(std::string(SilentJob::kMainKeyLine) +
                    "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"" + pdf +
                    "\"\n\"FinishedWindowMessageID\"=\"1025\"\n"
                    "\"ControllerWindowCaption\"=\"Job Controller\"\n");
  server.Stop();
  const auto start = std::chrono::steady_clock::now();
  // The bound turns a hang into a failure instead of a stuck suite.
  const auto result = job.RunUnder({"timeout", "30"}, {"DISPLAY=" + server.display()});
  const auto elapsed = std::chrono::steady_clock::now() - start;
  server.Continue();
  EXPECT_EQ(result.exitStatus, 0) << result.standardError;
  EXPECT_LT(elapsed, std::chrono::seconds(15));
  EXPECT_NE(result.standardError.find("tallowcraft: the X server of display " + server.display() +
                                      " did not answer within 5 seconds; the completion "
                                      "message was not sent"),
            std::string::npos)
      << result.standardError;
  ASSERT_TRUE(std::filesystem::exists(pdf));
  bool valid = false;
  const std::string report = testing_support::QpdfCheck(pdf, &valid);
  EXPECT_TRUE(valid) << report;
}

}  // namespace
