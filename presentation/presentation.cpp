#include "presentation/presentation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>

#include "emf2pdf/page_picture.h"
#include "pdf/output_file.h"
#include "platform/registry_hive.h"
#include "platform/work_pool.h"
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

void TPresentation::ReadSettings(WrongType wrongType) {
  if (options_.UseRegistry() && !options_.RegistryKey().empty())
    options_.Movie() = LoadSwfOptions(*Store(), options_.RegistryKey(), wrongType);
}

void TPresentation::AddSlideFromFileName(const std::string& file, int /*reserved*/) {
  slides_.push_back(file);
}

bool TPresentation::ShowOptionsDialog(int /*reserved*/) {
  if (!dialog_) return false;
  ReadSettings(WrongType::kDefault);
  SwfOptions edited = options_.Movie();
  if (!dialog_(edited)) return false;
  options_.Movie() = edited;
  if (options_.UseRegistry() && !options_.RegistryKey().empty())
    SaveSwfOptions(*Store(), options_.RegistryKey(), edited);
  return true;
}

void TPresentation::SaveToFile(std::string& fileName) {
  pdf::OutputFile file(fileName);
  WriteMovie(file);
  file.commit();
}

namespace {

// The output file as it is being written.
class FileSink : public SwfSink {
 public:
  explicit FileSink(pdf::OutputFile& file) : file_(file) {}
  void Append(std::string_view bytes) override { file_.write(bytes); }
  void Overwrite(uint64_t offset, std::string_view bytes) override {
    file_.overwrite(offset, bytes);
  }
  uint64_t Size() const override { return file_.position(); }

 private:
  pdf::OutputFile& file_;
};

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

// Pages are interpreted on the calling thread, in order (the interpreter's
// caches belong to one thread); each slide is drawn and encoded on the work
// pool, and added in order. At most the pool's size in slides are drawn or
// waiting at once.
void WriteSlideMovie(SwfSink& sink, const std::vector<emf2pdf::PageSource>& pages,
                     const SwfOptions& options, const std::string& templatesFolder,
                     const std::function<void()>& afterSlide) {
  if (pages.empty()) throw std::runtime_error("The job has no page to make a movie of");
  CheckSlideCount(pages.size());
  double dpi = std::clamp(options.resolution, kMinResolution, kMaxResolution);
  std::optional<SwfMovieWriter> movie;
  int stageWidth = 0;
  int stageHeight = 0;
  platform::WorkPool& pool = platform::WorkPool::Shared();
  std::deque<std::future<SwfMovieWriter::SlidePicture>> pending;
  // The slides' work holds its own copies: none refers to this frame.
  const auto addOldest = [&] {
    auto oldest = std::move(pending.front());
    pending.pop_front();
    movie->AddSlide(pool.Wait(oldest));
    if (afterSlide) afterSlide();
  };
  for (size_t i = 0; i < pages.size(); ++i) {
    std::shared_ptr<const emf2pdf::PagePicture> picture;
    try {
      picture = std::make_shared<const emf2pdf::PagePicture>(
          emf2pdf::PagePicture::Load(pages[i], static_cast<int>(i) + 1));
    } catch (...) {
      while (!pending.empty()) addOldest();  // an earlier slide's failure is the one to report
      throw;
    }
    if (!movie) {
      dpi = StageResolution(*picture, dpi, pages[i].label);
      stageWidth = picture->PixelWidth(dpi);
      stageHeight = picture->PixelHeight(dpi);
      movie.emplace(sink, stageWidth, stageHeight, static_cast<int>(pages.size()), options,
                    LoadNavigationTemplates(templatesFolder));
    }
    // A page of another size keeps its proportions inside the stage.
    const double scale = std::min(stageWidth / (picture->WidthInches() * dpi),
                                  stageHeight / (picture->HeightInches() * dpi));
    const int width = std::clamp(picture->PixelWidth(dpi * scale), 1, stageWidth);
    const int height = std::clamp(picture->PixelHeight(dpi * scale), 1, stageHeight);
    pending.push_back(pool.Submit([picture, width, height, slide = static_cast<int>(i), options] {
      return SwfMovieWriter::EncodeSlide(picture->Render(width, height), slide, options);
    }));
    while (pending.size() >= static_cast<size_t>(pool.size())) addOldest();
  }
  while (!pending.empty()) addOldest();
  movie->Finish();
}

std::string MakeSlideMovie(const std::vector<emf2pdf::PageSource>& pages, const SwfOptions& options,
                           const std::string& templatesFolder) {
  StringSwfSink sink;
  WriteSlideMovie(sink, pages, options, templatesFolder);
  return sink.Take();
}

void TPresentation::WriteMovie(pdf::OutputFile& file) {
  ReadSettings(WrongType::kRaise);
  FileSink sink(file);
  WriteSlideMovie(sink, slides_, options_.Movie(), options_.NavigationTemplatesFolder(),
                  afterSlide_);
}

}  // namespace presentation
