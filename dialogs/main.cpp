#include "app/convert_raster.h"
#include "app/picture_outputs.h"
#include "app/program_entry.h"
#include "app/swf_output.h"
#include "dialogs/dialog_mode_run.h"
#include "emf2pdf/raster_compositor.h"
#include "platform/pdf_raster.h"

// The program for the jobs that need the desktop libraries: dialog mode,
// silent movies and pictures, pages with raster operations combined in a
// raster, and conversions to bitmaps. `tallowcraft` hands those jobs over to
// it.
int main(int argc, char** argv) {
  const emf2pdf::UsePageRasterizer rasterizer(&platform::RasterizePdfPage);
  return app::RunProgram(
      argc, argv,
      [](app::PrintJobRun& run) {
        run.SetDialogMode(&dialogs::RunDialogMode);
        run.SetSilentMovie(&app::SaveSilentMovie);
        run.SetSilentPictures([](platform::RegistryStore& store, app::OutputKind kind,
                                 const std::vector<emf2pdf::PageSource>& pages,
                                 const std::string& outputName) {
          app::RunPictureOutput(kind, store, pages, outputName);
        });
        run.SetNoJobMessage(&dialogs::ShowNoJobMessage);
      },
      &app::DesktopRasterWriter);
}
