#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/emf_spool.h"

namespace emf2pdf {

// Where one page's enhanced metafile lies: a whole EMF file, or a byte range
// of a spool file. Cheap to copy; the page is read only when it is drawn, so
// a run holds one page in memory at a time however many it has.
struct PageSource {
  PageSource() = default;
  // The whole file as one page, named by its path.
  PageSource(std::string path);  // NOLINT(google-explicit-constructor): a path is a page

  std::string file;
  uint64_t offset = 0;
  // Bytes from `offset`; nullopt for a whole EMF file, which is read up to
  // its EMR_EOF record.
  std::optional<uint64_t> size;
  // How messages name the page: the file, or "FILE, page N".
  std::string label;
  // The paper the application printed on, from a spool file's DEVMODE.
  std::optional<SpoolDevMode> paper;
};

// Each file as a page of its own.
std::vector<PageSource> WholeFilePages(const std::vector<std::string>& files);

// The page's metafile, read from its file (only its byte range); throws as
// EmfReader::Load, naming the page by its label.
EmfReader LoadPage(const PageSource& page);

// The paper of a DEVMODE in hundredths of a millimetre, turned as its
// orientation says; nullopt when it names no size this program knows.
struct PaperSize {
  int32_t width = 0;
  int32_t height = 0;
};
std::optional<PaperSize> DevModePaper(const SpoolDevMode& mode);

// What an input file is taken as when it is neither EMF nor a spool file.
enum class OtherInput {
  Refuse,     // an error naming what it is
  WholeFile,  // one page; drawing it says what is wrong
};

// What a spool file's walk left unread, for --verbose.
using SkippedRecords = std::function<void(const std::string& file, const EmfSpool& spool)>;

// The pages of an input file in order: an EMF file is one page, an EMF
// spool file every page in it. A damaged spool file gives the pages before
// the damage, which is reported on standard error; one without any is
// refused with that message. The spool file is mapped, not read, to find its
// pages. Messages and labels name the file
// `name` (the path when empty). Throws std::runtime_error.
std::vector<PageSource> PagesOfFile(const std::string& path, OtherInput other,
                                    const SkippedRecords& skipped = nullptr,
                                    const std::string& name = {});

}  // namespace emf2pdf
