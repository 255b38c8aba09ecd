#include "dialogs/desktop_session.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace dialogs {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Restores an environment variable when it goes out of scope, so that the
// programs the run starts later (xdg-open) see the user's environment.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    had_ = std::getenv(name) != nullptr;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

QtMessageHandler previousHandler = nullptr;

// While Qt looks for a display, its complaints about the platforms that fail
// are ours to explain.
void QuietPlatformSearch(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  const QLatin1String category(context.category != nullptr ? context.category : "");
  if (category.startsWith(QLatin1String("qt.qpa"))) return;
  if (previousHandler != nullptr)
    previousHandler(type, context, text);
  else
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

std::unique_ptr<QApplication> StartDesktopSession() {
  const bool chosen = IsSet("QT_QPA_PLATFORM");
  if (!chosen && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) return nullptr;
  std::string platforms = chosen                     ? std::getenv("QT_QPA_PLATFORM")
                          : IsSet("WAYLAND_DISPLAY") ? "wayland;xcb"
                                                     : "xcb";
  // Qt ends the process when no platform starts; the offscreen one always
  // does, and landing on it means there was no desktop to connect to.
  const bool offscreenAsked = platforms.find("offscreen") != std::string::npos;
  if (!offscreenAsked) platforms += ";offscreen";
  static int argc = 1;
  static char name[] = "tallowcraft";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> application;
  {
    const ScopedEnvironment platform("QT_QPA_PLATFORM", platforms);
    previousHandler = qInstallMessageHandler(&QuietPlatformSearch);
    application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previousHandler);
  }
  if (!offscreenAsked && QGuiApplication::platformName() == "offscreen") return nullptr;
  QApplication::setApplicationName("Tallowcraft");
  return application;
}

}  // namespace dialogs
