#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/program_entry.h"
#include "platform/folders.h"
#include "platform/message_box.h"

namespace {

constexpr const char* kDesktopProgram = "tallowcraft-desktop";

// Most jobs are silent PDFs, made by this program alone. Dialogs, movies,
// pages drawn to bitmaps (movies, JPEG, PNG and TIFF) and pages whose raster
// operations are combined in a raster need Qt or poppler, whose dozens of
// shared libraries would cost every job more time at start-up than a small
// PDF takes to make; for those this process becomes the desktop program
// (same process, same arguments), so no launcher stays in between.
[[noreturn]] void BecomeDesktopProgram(char** argv) {
  const std::string program = platform::ProgramFolder() + kDesktopProgram;
  std::fflush(nullptr);
  execv(program.c_str(), argv);
  throw std::runtime_error("cannot start " + program + ": " + std::strerror(errno));
}

bool HasDesktop() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  return app::RunProgram(
      argc, argv,
      [argv](app::PrintJobRun& run) {
        run.SetDialogMode([argv](auto&&...) -> int { BecomeDesktopProgram(argv); });
        run.SetSilentMovie(
            [argv](auto&&...) -> std::shared_ptr<void> { BecomeDesktopProgram(argv); });
        run.SetSilentPictures([argv](auto&&...) { BecomeDesktopProgram(argv); });
        run.SetRasterPages([argv] { BecomeDesktopProgram(argv); });
        // At a desktop nobody reads standard error: the message needs a box.
        run.SetNoJobMessage([argv](const std::string& text, const std::string& caption) {
          if (HasDesktop()) BecomeDesktopProgram(argv);
          platform::StandardErrorMessages().Show(text, caption, platform::MessageIcon::Error);
        });
      },
      // Bitmaps, and PDF pages whose raster operations are combined in a
      // raster, are drawn with poppler.
      [argv](app::ConvertFormat) -> app::ConvertWriter { BecomeDesktopProgram(argv); });
}
