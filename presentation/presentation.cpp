#include "presentation/presentation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "emf2pdf/page_picture.h"
#include "pdf/output_file.h"
#include "platform/registry_hive.h"
#include "presentation/navigation_templates.h"
#include "presentation/swf_movie.h"

namespace presentation {

TPresentation::TPresentation(platform::RegistryStore* store) : store_(store) {}
TPresentation::~TPresentation() = default;

platform::RegistryStore* TPresentation::Store() {
  if (store_ == nullptr) {
    ownStore_ = platform::OpenCurrentUserHive();
    store_ = ownStore_.get();
  }
  return store_;
}

void TPresentation::ReadSettings() {
  if (options_.UseRegistry() && !options_.RegistryKey().empty())
    options_.Movie() = LoadSwfOptions(*Store(), options_.RegistryKey());
}

void TPresentation::AddSlideFromFileName(const std::string& file, int /*reserved*/) {
  slides_.push_back(file);
}

bool TPresentation::ShowOptionsDialog(int /*reserved*/) {
  if (!dialog_) return false;
  ReadSettings();
  SwfOptions edited = options_.Movie();
  if (!dialog_(edited)) return false;
  options_.Movie() = edited;
  if (options_.UseRegistry() && !options_.RegistryKey().empty())
    SaveSwfOptions(*Store(), options_.RegistryKey(), edited);
  return true;
}

void TPresentation::SaveToFile(std::string& fileName) {
  ReadSettings();
  const std::string movie =
      MakeSlideMovie(slides_, options_.Movie(), options_.NavigationTemplatesFolder());
  pdf::OutputFile file(fileName);
  file.write(movie);
  file.commit();
}

namespace {

// The largest stage Flash players were made for, and more than a browser
// shows at once; a larger first page is drawn at a lower resolution.
constexpr double kMaxStageSide = 2880;

double StageResolution(const emf2pdf::PagePicture& first, double dpi, const std::string& file) {
  const double side = std::max(first.WidthInches(), first.HeightInches()) * dpi;
  if (side <= kMaxStageSide) return dpi;
  const double lowered = dpi * kMaxStageSide / side;
  std::fprintf(stderr,
               "tallowcraft: %s is too large for a movie at %g dpi; its slides are drawn at %.3g "
               "dpi\n",
               file.c_str(), dpi, lowered);
  return lowered;
}

}  // namespace

std::string MakeSlideMovie(const std::vector<std::string>& pageFiles, const SwfOptions& options,
                           const std::string& templatesFolder) {
  if (pageFiles.empty()) throw std::runtime_error("The job has no page to make a movie of");
  double dpi = std::clamp(options.resolution, kMinResolution, kMaxResolution);
  std::unique_ptr<SwfMovieBuilder> movie;
  int stageWidth = 0;
  int stageHeight = 0;
  for (const std::string& file : pageFiles) {
    const auto picture = emf2pdf::PagePicture::Load(file);
    if (!movie) {
      dpi = StageResolution(picture, dpi, file);
      stageWidth = picture.PixelWidth(dpi);
      stageHeight = picture.PixelHeight(dpi);
      movie = std::make_unique<SwfMovieBuilder>(stageWidth, stageHeight, options,
                                                LoadNavigationTemplates(templatesFolder));
    }
    // A page of another size keeps its proportions inside the stage.
    const double scale = std::min(stageWidth / (picture.WidthInches() * dpi),
                                  stageHeight / (picture.HeightInches() * dpi));
    const int width = std::clamp(picture.PixelWidth(dpi * scale), 1, stageWidth);
    const int height = std::clamp(picture.PixelHeight(dpi * scale), 1, stageHeight);
    movie->AddSlide(picture.Render(width, height));
  }
  return movie->Finish();
}

}  // namespace presentation
