#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/program_entry.h"
#include "emf2pdf/raster_compositor.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/raster_module.h"

namespace {

constexpr const char* kDesktopProgram = "tallowcraft-desktop";

// Most jobs are silent PDFs, made by this program alone. Dialogs, movies and
// pages drawn to bitmaps (movies, JPEG, PNG and TIFF) need Qt or poppler,
// whose dozens of shared libraries would cost every job more time at
// start-up than a small PDF takes to make; for those this process becomes
// the desktop program (same process, same arguments), so no launcher stays
// in between.
[[noreturn]] void BecomeDesktopProgram(char** argv) {
  const std::string program = platform::ProgramFolder() + kDesktopProgram;
  std::fflush(nullptr);
  execv(program.c_str(), argv);
  throw std::runtime_error("cannot start " + program + ": " + std::strerror(errno));
}

// PDF pages whose raster operations are combined in a raster need poppler
// only: the raster module brings it into this process. Without the module
// the desktop program, which has poppler too, takes the run.
bool UseRasterModule() {
  static std::optional<emf2pdf::UsePageRasterizer> installed;
  if (!installed)
    if (platform::PdfPageRasterizer rasterizer = platform::LoadRasterModule())
      installed.emplace(std::move(rasterizer));
  return installed.has_value();
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
        run.SetRasterPages([argv] {
          if (!UseRasterModule()) BecomeDesktopProgram(argv);
        });
        // At a desktop nobody reads standard error: the message needs a box.
        run.SetNoJobMessage([argv](const std::string& text, const std::string& caption) {
          if (HasDesktop()) BecomeDesktopProgram(argv);
          platform::StandardErrorMessages().Show(text, caption, platform::MessageIcon::Error);
        });
      },
      // Bitmaps are drawn with poppler and encoded in the desktop program;
      // for PDFs the rasterizer is all that is asked for.
      [argv](app::ConvertFormat format) -> app::ConvertWriter {
        if (format == app::ConvertFormat::Pdf && UseRasterModule()) return nullptr;
        BecomeDesktopProgram(argv);
      });
}
