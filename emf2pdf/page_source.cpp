#include "emf2pdf/page_source.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/file_bytes.h"

namespace emf2pdf {

namespace {

constexpr int16_t kLandscape = 2;

struct NamedPaper {
  int16_t code;  // DMPAPER_*
  PaperSize size;
};

// Hundredths of a millimetre, portrait, as the Windows paper codes define
// them.
constexpr NamedPaper kPapers[] = {
    {1, {21590, 27940}},   // Letter
    {2, {21590, 27940}},   // Letter small
    {3, {27940, 43180}},   // Tabloid
    {4, {43180, 27940}},   // Ledger
    {5, {21590, 35560}},   // Legal
    {6, {13970, 21590}},   // Statement
    {7, {18415, 26670}},   // Executive
    {8, {29700, 42000}},   // A3
    {9, {21000, 29700}},   // A4
    {10, {21000, 29700}},  // A4 small
    {11, {14800, 21000}},  // A5
    {12, {25000, 35400}},  // B4 (JIS)
    {13, {18200, 25700}},  // B5 (JIS)
    {14, {21590, 33020}},  // Folio
    {15, {21500, 27500}},  // Quarto
    {16, {25400, 35560}},  // 10 x 14 in
    {17, {27940, 43180}},  // 11 x 17 in
    {18, {21590, 27940}},  // Note
    {19, {9843, 22543}},   // Envelope #9
    {20, {10478, 24130}},  // Envelope #10
    {21, {11430, 26353}},  // Envelope #11
    {22, {12065, 27940}},  // Envelope #12
    {23, {12700, 29210}},  // Envelope #14
    {27, {11000, 22000}},  // Envelope DL
    {28, {16200, 22900}},  // Envelope C5
    {29, {32400, 45800}},  // Envelope C3
    {30, {22900, 32400}},  // Envelope C4
    {31, {11400, 16200}},  // Envelope C6
    {32, {11400, 22900}},  // Envelope C65
    {33, {25000, 35300}},  // Envelope B4
    {34, {17600, 25000}},  // Envelope B5
    {35, {17600, 12500}},  // Envelope B6
    {36, {11000, 23000}},  // Envelope Italy
    {37, {9843, 19050}},   // Envelope Monarch
    {38, {9208, 16510}},   // Envelope 6 3/4
};

// A file mapped for reading: the pages of a spool file are found without
// copying it, so a large one costs address space, not memory.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) : file_(path) {
    if (file_.Size() == 0) return;
    void* at = ::mmap(nullptr, file_.Size(), PROT_READ, MAP_PRIVATE, file_.Descriptor(), 0);
    if (at == MAP_FAILED) throw std::runtime_error("Cannot read " + path);
    data_ = static_cast<const uint8_t*>(at);
  }
  ~MappedFile() {
    if (data_ != nullptr) ::munmap(const_cast<uint8_t*>(data_), file_.Size());
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const uint8_t> Bytes() const {
    return data_ != nullptr ? std::span<const uint8_t>(data_, file_.Size())
                            : std::span<const uint8_t>();
  }

 private:
  platform::ReadableFile file_;
  const uint8_t* data_ = nullptr;
};

std::vector<PageSource> SpoolPages(const std::string& path, const std::string& name,
                                   std::span<const uint8_t> bytes, const SkippedRecords& skipped) {
  const EmfSpool spool = ReadEmfSpool(bytes, name);
  if (skipped) skipped(name, spool);
  if (!spool.damage.empty() && spool.pages.empty()) {
    // Nothing is kept, so the message does not say that something is.
    const std::string damage = spool.damage.substr(0, spool.damage.rfind("; the pages before it"));
    throw std::runtime_error(damage + "; no page comes before it, so nothing was made");
  }
  if (!spool.damage.empty()) std::fprintf(stderr, "tallowcraft: %s\n", spool.damage.c_str());
  if (spool.pages.empty()) throw std::runtime_error(name + " is an EMF spool file without pages");
  std::vector<PageSource> pages;
  pages.reserve(spool.pages.size());
  for (size_t i = 0; i < spool.pages.size(); ++i) {
    PageSource page;
    page.file = path;
    page.offset = spool.pages[i].offset;
    page.size = spool.pages[i].size;
    page.label = name + ", page " + std::to_string(i + 1);
    page.paper = spool.pages[i].devMode;
    pages.push_back(std::move(page));
  }
  return pages;
}

}  // namespace

PageSource::PageSource(std::string path) : file(std::move(path)), label(file) {}

std::vector<PageSource> WholeFilePages(const std::vector<std::string>& files) {
  return {files.begin(), files.end()};
}

EmfReader LoadPage(const PageSource& page) {
  if (!page.size && page.label == page.file) return EmfReader::Load(page.file);
  return EmfReader::LoadRange(page.file, page.offset, page.size.value_or(UINT64_MAX), page.label);
}

std::optional<PaperSize> DevModePaper(const SpoolDevMode& mode) {
  std::optional<PaperSize> size;
  if (mode.paperWidth > 0 && mode.paperLength > 0) {
    size = PaperSize{mode.paperWidth * 10, mode.paperLength * 10};
  } else {
    const auto known = std::find_if(std::begin(kPapers), std::end(kPapers),
                                    [&](const NamedPaper& p) { return p.code == mode.paperSize; });
    if (known != std::end(kPapers)) size = known->size;
  }
  if (size && mode.orientation == kLandscape && size->width < size->height)
    std::swap(size->width, size->height);
  return size;
}

std::vector<PageSource> PagesOfFile(const std::string& path, OtherInput other,
                                    const SkippedRecords& skipped, const std::string& name) {
  const std::string& shown = name.empty() ? path : name;
  std::optional<MappedFile> mapped;
  try {
    mapped.emplace(path);
  } catch (const std::exception&) {
    // A job's page that cannot be read says so when it is drawn, as always.
    if (other == OtherInput::WholeFile) return {PageSource(path)};
    throw;
  }
  const InputKind kind = DetectInputKind(mapped->Bytes());
  if (kind == InputKind::EmfSpool) return SpoolPages(path, shown, mapped->Bytes(), skipped);
  if (kind == InputKind::Emf || other == OtherInput::WholeFile) {
    PageSource page(path);
    page.label = shown;
    return {page};
  }
  throw std::runtime_error(InputKindRefusal(kind, shown));
}

}  // namespace emf2pdf
