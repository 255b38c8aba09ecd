#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/job_description.h"
#include "app/output_names.h"
#include "app/run_settings.h"
#include "platform/registry_store.h"

namespace app {

// Runs dialog mode; returns the process exit status. The dialogs live in a
// layer above this one, which hands the run this function.
using DialogMode =
    std::function<int(const JobDescription&, RunSettings&, platform::RegistryStore&)>;

// Makes the movie of silent mode under `outputName`; errors propagate. It
// needs the desktop libraries, so the run is handed it like dialog mode. It
// returns the movie component it made with the store, which the run keeps
// until it ends, inside the life of that store.
using SilentMovie = std::function<std::shared_ptr<void>(
    platform::RegistryStore&, const std::vector<emf2pdf::PageSource>& pages,
    const std::string& outputName)>;

// Makes the picture output of silent mode (JPEG or PNG pages, the TIFF
// document: MakesPictures) under `outputName`; errors propagate. Like the
// movie, it needs the desktop libraries (pages are drawn through poppler).
using SilentPictures = std::function<void(platform::RegistryStore&, OutputKind,
                                          const std::vector<emf2pdf::PageSource>& pages,
                                          const std::string& outputName)>;

// Called before a silent PDF whose pages have raster operations that
// combine with what lies under them, in a run without a rasterizer: the
// silent program goes on as the desktop program there.
using RasterPages = std::function<void()>;

// Shows the message that ends a run before it could start on its job: no
// job description, or settings that cannot be read.
using NoJobMessage = std::function<void(const std::string& text, const std::string& caption)>;

// One print job from start to end: the job description in, the output out.
class PrintJobRun {
 public:
  // Without a store the run uses the current user's hive.
  explicit PrintJobRun(platform::RegistryStore* store = nullptr) : store_(store) {}

  // Without one, a job in dialog mode is refused.
  void SetDialogMode(DialogMode dialogMode) { dialogMode_ = std::move(dialogMode); }
  // Without one, the message goes to standard error.
  void SetNoJobMessage(NoJobMessage noJobMessage) { noJobMessage_ = std::move(noJobMessage); }
  // Without one, a silent movie is refused.
  void SetSilentMovie(SilentMovie silentMovie) { silentMovie_ = std::move(silentMovie); }
  // Without one, silent pictures are refused.
  void SetSilentPictures(SilentPictures silentPictures) {
    silentPictures_ = std::move(silentPictures);
  }
  // Without one, such pages are drawn with blend modes alone.
  void SetRasterPages(RasterPages rasterPages) { rasterPages_ = std::move(rasterPages); }

  // Returns the process exit status.
  int Run(const std::vector<std::string>& arguments);

  // What silent mode decided, for the caller and for tests.
  const std::string& OutputFormat() const { return format_; }
  const std::string& OutputName() const { return outputName_; }

 private:
  int RefuseWithoutJob() const;
  int RefuseUnreadableSettings(const std::string& reason) const;
  void ShowRefusal(const std::string& text) const;
  int RunSilent();
  int SaveSilentMovie();
  int SaveSilentPictures(OutputKind kind);
  int RefuseDialogMode() const;

  DialogMode dialogMode_;
  SilentMovie silentMovie_;
  SilentPictures silentPictures_;
  RasterPages rasterPages_;
  NoJobMessage noJobMessage_;
  platform::RegistryStore* store_;
  std::unique_ptr<platform::RegistryStore> ownStore_;
  // After the store: it ends first.
  std::shared_ptr<void> movieComponent_;
  JobDescription job_;
  RunSettings settings_;
  std::string format_;
  std::string outputName_;
};

// The output format silent mode uses: the stored format when it names an
// output (OutputKindOfFormat) in any case, else the output name's extension;
// lower case.
std::string SilentOutputFormat(const std::string& storedFormat, const std::string& outputName);

// How to turn on silent mode: the value and the settings file, for messages.
std::string SilentModeHint();

// The output name, relative ones inside the save folder; a name without a
// file part gets the default one.
std::string CompleteOutputName(const std::string& outputName, const std::string& saveFolder);

}  // namespace app
