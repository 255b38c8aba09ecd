#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emf2pdf/page_source.h"
#include "platform/registry_store.h"
#include "presentation/swf_options.h"

namespace pdf {
class OutputFile;
}

namespace presentation {

class SwfSink;

// The component's settings object.
class TPresentationOptions {
 public:
  bool UseRegistry() const { return useRegistry_; }
  void SetUseRegistry(bool value) { useRegistry_ = value; }
  // Below HKEY_CURRENT_USER, with "\" between key names.
  const std::string& RegistryKey() const { return registryKey_; }
  void SetRegistryKey(const std::string& value) { registryKey_ = value; }
  const std::string& NavigationTemplatesFolder() const { return templatesFolder_; }
  void SetNavigationTemplatesFolder(const std::string& value) { templatesFolder_ = value; }

  // The movie settings in use (the registry's, once read).
  SwfOptions& Movie() { return movie_; }

 private:
  bool useRegistry_ = false;
  std::string registryKey_;
  std::string templatesFolder_;
  SwfOptions movie_;
};

// Shows the options dialog over the settings; true when the user confirmed.
using SwfOptionsPrompt = std::function<bool(SwfOptions&)>;

// The in-process presentation component: page files in, one SWF movie out,
// one slide per page. Pages are drawn when the movie is saved, one at a
// time, and each slide goes to the file as soon as it is made, so memory
// does not grow with the job. With UseRegistry on and a key set, the movie
// settings are read from that key before the dialog (a value of the wrong
// type shows its default) and before saving (a value of the wrong type
// raises platform::RegistryError naming it), and a confirmed dialog writes
// them back.
class TPresentation {
 public:
  // Without a store the current user's hive is opened when first needed.
  explicit TPresentation(platform::RegistryStore* store = nullptr);
  ~TPresentation();

  TPresentationOptions& Options() { return options_; }

  void AddSlideFromFileName(const std::string& file, int reserved);
  // A page of any source (a spool file's page) as the next slide.
  void AddSlide(const emf2pdf::PageSource& page) { slides_.push_back(page); }
  // False (and nothing shown) when no dialog front end was installed.
  bool ShowOptionsDialog(int reserved);
  // Writes the movie through a temporary file that replaces `fileName` only
  // when complete: WriteMovie into a pdf::OutputFile, then its commit().
  // Throws std::runtime_error (no slide, too many, a page that cannot be
  // drawn, a file that cannot be written, a setting of the wrong type).
  void SaveToFile(std::string& fileName);
  // Writes the whole movie into `file` from its current position, without
  // committing it, so that a caller can keep the movie back until other
  // outputs of the job are made too (commit() then publishes it, and
  // destroying the file uncommitted leaves no trace). Throws as SaveToFile;
  // the slide count is checked before any page is read.
  void WriteMovie(pdf::OutputFile& file);

  void SetOptionsDialog(SwfOptionsPrompt dialog) { dialog_ = std::move(dialog); }
  // Runs after each slide is written (a progress display).
  void SetAfterSlide(std::function<void()> afterSlide) { afterSlide_ = std::move(afterSlide); }
  int SlideCount() const { return static_cast<int>(slides_.size()); }

 private:
  platform::RegistryStore* Store();
  void ReadSettings(WrongType wrongType);

  platform::RegistryStore* store_;
  std::unique_ptr<platform::RegistryStore> ownStore_;
  TPresentationOptions options_;
  std::vector<emf2pdf::PageSource> slides_;
  SwfOptionsPrompt dialog_;
  std::function<void()> afterSlide_;
};

// Writes the movie of the pages with the given settings into `sink`:
// the stage is the first page at the settings' resolution, each page fitted
// inside it. No page, or more than kMaxSlides, is refused before any page is
// read. `afterSlide` runs after each slide is written.
void WriteSlideMovie(SwfSink& sink, const std::vector<emf2pdf::PageSource>& pages,
                     const SwfOptions& options, const std::string& templatesFolder,
                     const std::function<void()>& afterSlide = nullptr);
// The same movie as bytes in memory, for small jobs.
std::string MakeSlideMovie(const std::vector<emf2pdf::PageSource>& pages, const SwfOptions& options,
                           const std::string& templatesFolder);

}  // namespace presentation
