#include "app/print_job_run.h"

#include <cstdio>

#include "app/controller_message.h"
#include "app/output_names.h"
#include "app/path_rules.h"
#include "app/pdf_conversion.h"
#include "app/pdf_options.h"
#include "app/settings_store.h"
#include "emf2pdf/raster_compositor.h"
#include "emf2pdf/raster_prescan.h"
#include "pdf/aes_crypto.h"
#include "platform/message_box.h"
#include "platform/registry_hive.h"

namespace app {

namespace {

// Exit status of a run that could not make the requested output.
constexpr int kNothingMade = 3;

}  // namespace

std::string SilentOutputFormat(const std::string& storedFormat, const std::string& outputName) {
  const std::string format = LowerCase(storedFormat);
  if (OutputKindOfFormat(format)) return format;
  const std::string extension = ExtractFileExt(outputName);
  return LowerCase(extension.empty() ? extension : extension.substr(1));
}

std::string CompleteOutputName(const std::string& outputName, const std::string& saveFolder) {
  std::string name = outputName;
  // A name of a folder alone ("", "/srv/out/", "/srv/out/.") takes the
  // default file name there instead of making a hidden ".pdf".
  const std::string file = ExtractFileName(name);
  if (file.empty() || file == "." || file == "..") {
    if (!name.empty() && name.back() != '/') name += '/';
    name += RunSettings{}.outputFileName;
  }
  // Relative names, with or without folders of their own, lie in the save
  // folder, whether or not it ends in "/".
  if (name.front() == '/' || saveFolder.empty()) return name;
  return saveFolder.back() == '/' ? saveFolder + name : saveFolder + "/" + name;
}

int PrintJobRun::Run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return RefuseWithoutJob();
  // A job description that cannot be read is refused like a missing one
  // instead of becoming an empty document reported as done.
  auto job = ReadJobDescription(arguments[0]);
  if (!job) return RefuseWithoutJob();
  job_ = std::move(*job);
  RequireUsablePages(job_);
  ExpandJobPages(job_);
  if (store_ == nullptr) {
    ownStore_ = platform::OpenCurrentUserHive();
    store_ = ownStore_.get();
  }
  // Settings that cannot be parsed may hide "Silent" or the output name: the
  // job waits rather than going ahead with defaults nobody chose.
  try {
    store_->KeyExists(kMainKey);
  } catch (const platform::RegistryError& error) {
    return RefuseUnreadableSettings(error.what());
  }
  settings_ = LoadRunSettings(*store_);
  if (settings_.silent) return RunSilent();
  return dialogMode_ ? dialogMode_(job_, settings_, *store_) : RefuseDialogMode();
}

int PrintJobRun::RefuseWithoutJob() const {
  ShowRefusal("INI file not found");
  return 1;
}

int PrintJobRun::RefuseUnreadableSettings(const std::string& reason) const {
  ShowRefusal("The settings cannot be read (" + reason +
              "), so nothing was made and the job files were left in place. Correct or remove " +
              "the settings file and print again.");
  return 2;
}

void PrintJobRun::ShowRefusal(const std::string& text) const {
  if (noJobMessage_)
    noJobMessage_(text, "Printing error");
  else
    platform::StandardErrorMessages().Show(text, "Printing error", platform::MessageIcon::Error);
}

std::string SilentModeHint() {
  return "To print without dialogs set \"Silent\"=dword:00000001 under [HKEY_CURRENT_USER\\" +
         std::string(kMainKey) + "] in " + platform::CurrentUserHivePath();
}

// A run without the dialogs cannot ask; the job files stay where they are so
// that the job can be printed again.
int PrintJobRun::RefuseDialogMode() const {
  std::fprintf(stderr,
               "tallowcraft: dialog mode is not available in this run; nothing was made and the "
               "job files were left in place. %s\n",
               SilentModeHint().c_str());
  return kNothingMade;
}

int PrintJobRun::RunSilent() {
  format_ = SilentOutputFormat(settings_.outputFileFormat, settings_.outputFileName);
  outputName_ = CompleteOutputName(settings_.outputFileName, settings_.fileSavePath);
  if (const std::optional<OutputKind> output = OutputKindOfFormat(format_)) {
    switch (*output) {
      case OutputKind::Movie:
        return SaveSilentMovie();
      case OutputKind::Pdf: {
        const PdfOptions options = ReadPdfOptions(*store_);
        // libcrypto starts while the pages are examined.
        if (EncryptsWithAes(options)) pdf::PrepareCrypto();
        if (rasterPages_ && emf2pdf::InstalledPageRasterizer() == nullptr &&
            emf2pdf::PagesNeedRasterCompositor(job_.pages, options.pdfaCompliance != kPdfA1b))
          rasterPages_();
        outputName_ = ConvertToPdf(job_.pages, outputName_, options);
        NotifyController(settings_);
        return 0;
      }
      case OutputKind::JpegPages:
      case OutputKind::PngPages:
      case OutputKind::TiffDocument:
        return SaveSilentPictures(*output);
      case OutputKind::MovieAndPdf:  // no format name asks for it
        break;
    }
  }
  std::fprintf(stderr,
               "tallowcraft: silent mode makes \"pdf\", \"swf\", \"jpg\", \"png\" or \"tif\" "
               "output only; the output format \"%s\" (from OutputFileFormat or the extension "
               "of %s) makes nothing\n",
               format_.c_str(), settings_.outputFileName.c_str());
  return kNothingMade;
}

int PrintJobRun::SaveSilentMovie() {
  // The movie replaces a file of that name only once it is complete, so
  // nothing is removed beforehand.
  if (!silentMovie_) {
    std::fprintf(stderr, "tallowcraft: movies are not made by this run; nothing was made\n");
    return kNothingMade;
  }
  // The movie takes its own extension: a name meant for the PDF ("Printer.pdf")
  // or one without extension must not become a movie under that name.
  outputName_ = MovieFileName(outputName_);
  movieComponent_ = silentMovie_(*store_, job_.pages, outputName_);
  NotifyController(settings_);
  return 0;
}

int PrintJobRun::SaveSilentPictures(OutputKind kind) {
  if (!silentPictures_) {
    std::fprintf(stderr, "tallowcraft: pictures are not made by this run; nothing was made\n");
    return kNothingMade;
  }
  if (kind == OutputKind::TiffDocument) outputName_ = TiffFileName(outputName_);
  silentPictures_(*store_, kind, job_.pages, outputName_);
  NotifyController(settings_);
  return 0;
}

}  // namespace app
