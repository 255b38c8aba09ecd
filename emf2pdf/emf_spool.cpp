#include "emf2pdf/emf_spool.h"

#include <algorithm>
#include <cstring>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/record_reader.h"
#include "platform/code_pages.h"
#include "platform/file_bytes.h"

namespace emf2pdf {

namespace {

constexpr uint32_t kSpoolVersion = 0x00010000;
constexpr uint32_t kSpoolHeaderMinimum = 16;
constexpr size_t kEmfHeaderMinimum = 88;
// The limit a page file has; the spool file as a whole is held to it too.
constexpr uint64_t kMaxBytes = uint64_t{1} << 30;
// Skipped records listed; a file of nothing but tiny font records would
// otherwise cost twice its size in notes.
constexpr size_t kMaxSkippedNotes = 4096;

// DEVMODE: where its fields lie and which dmFields bits say they are set.
constexpr size_t kDmSize = 68;
constexpr size_t kDmOrientation = 76;
constexpr size_t kDmPaperFieldsEnd = 84;  // just past dmPaperWidth
constexpr uint32_t DM_ORIENTATION = 0x1;
constexpr uint32_t DM_PAPERSIZE = 0x2;
constexpr uint32_t DM_PAPERLENGTH = 0x4;
constexpr uint32_t DM_PAPERWIDTH = 0x8;

enum class Role { Page, MonochromePage, PageOffset, MonochromePageOffset, DevMode, Skipped };

struct SpoolRecordEntry {
  uint32_t type;
  const char* name;
  Role role;
};

constexpr SpoolRecordEntry kSpoolRecords[] = {
    {0x01, "EMRI_METAFILE", Role::Page},
    {0x02, "EMRI_ENGINE_FONT", Role::Skipped},
    {0x03, "EMRI_DEVMODE", Role::DevMode},
    {0x04, "EMRI_TYPE1_FONT", Role::Skipped},
    {0x05, "EMRI_PRESTARTPAGE", Role::Skipped},
    {0x06, "EMRI_DESIGNVECTOR", Role::Skipped},
    {0x07, "EMRI_SUBSET_FONT", Role::Skipped},
    {0x08, "EMRI_DELTA_FONT", Role::Skipped},
    {0x09, "EMRI_FORM_METAFILE", Role::Page},
    {0x0A, "EMRI_BW_METAFILE", Role::MonochromePage},
    {0x0B, "EMRI_BW_FORM_METAFILE", Role::MonochromePage},
    {0x0C, "EMRI_METAFILE_DATA", Role::Page},
    {0x0D, "EMRI_METAFILE_EXT", Role::PageOffset},
    {0x0E, "EMRI_BW_METAFILE_EXT", Role::MonochromePageOffset},
    {0x0F, "EMRI_ENGINE_FONT_EXT", Role::Skipped},
    {0x10, "EMRI_TYPE1_FONT_EXT", Role::Skipped},
    {0x11, "EMRI_DESIGNVECTOR_EXT", Role::Skipped},
    {0x12, "EMRI_SUBSET_FONT_EXT", Role::Skipped},
    {0x13, "EMRI_DELTA_FONT_EXT", Role::Skipped},
    {0x14, "EMRI_PS_JOB_DATA", Role::Skipped},
    {0x15, "EMRI_EMBED_FONT_EXT", Role::Skipped},
};

const SpoolRecordEntry* FindRecord(uint32_t type) {
  for (const auto& entry : kSpoolRecords)
    if (entry.type == type) return &entry;
  return nullptr;
}

uint32_t U32At(std::span<const uint8_t> bytes, size_t at) {
  return RecordReader(bytes.subspan(at, 4), 0).U32();
}

bool IsEmfHeader(std::span<const uint8_t> bytes) {
  return bytes.size() >= 44 && U32At(bytes, 0) == emr::EMR_HEADER &&
         U32At(bytes, 40) == emr::ENHMETA_SIGNATURE;
}

// A string offset in the header: none, or inside the header after its fields.
bool HeaderOffsetFits(uint32_t offset, uint32_t headerSize) {
  return offset == 0 || (offset >= kSpoolHeaderMinimum && offset < headerSize && offset % 2 == 0);
}

// The header's size when the bytes start with a plausible spool header, else
// 0. The size may reach past the bytes: a file cut short is still a spool file.
uint32_t SpoolHeaderSize(std::span<const uint8_t> bytes) {
  if (bytes.size() < kSpoolHeaderMinimum || U32At(bytes, 0) != kSpoolVersion) return 0;
  const uint32_t size = U32At(bytes, 4);
  if (size < kSpoolHeaderMinimum || size % 4 != 0) return 0;
  if (!HeaderOffsetFits(U32At(bytes, 8), size) || !HeaderOffsetFits(U32At(bytes, 12), size))
    return 0;
  return size;
}

// A NUL-terminated UTF-16LE string from `at` to its NUL or the header's end.
std::string HeaderString(std::span<const uint8_t> header, uint32_t at) {
  if (at == 0) return {};
  std::u16string units;
  for (size_t i = at; i + 1 < header.size(); i += 2) {
    const auto unit = static_cast<char16_t>(header[i] | header[i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return platform::Utf16ToUtf8(units);
}

std::optional<SpoolDevMode> ReadDevMode(std::span<const uint8_t> data) {
  if (data.size() < kDmPaperFieldsEnd) return std::nullopt;
  RecordReader in(data, kDmSize);
  const uint16_t dmSize = in.U16();
  const uint16_t driverExtra = in.U16();
  if (dmSize < kDmPaperFieldsEnd || size_t{dmSize} + driverExtra > data.size()) return std::nullopt;
  const uint32_t fields = in.U32();
  in.Seek(kDmOrientation);
  const int16_t orientation = in.I16();
  const int16_t paperSize = in.I16();
  const int16_t paperLength = in.I16();
  const int16_t paperWidth = in.I16();
  SpoolDevMode mode;
  if ((fields & DM_ORIENTATION) && (orientation == 1 || orientation == 2))
    mode.orientation = orientation;
  if ((fields & DM_PAPERSIZE) && paperSize > 0) mode.paperSize = paperSize;
  if ((fields & DM_PAPERLENGTH) && paperLength > 0) mode.paperLength = paperLength;
  if ((fields & DM_PAPERWIDTH) && paperWidth > 0) mode.paperWidth = paperWidth;
  return mode;
}

// Walks the records after the header, filling `spool`; returns the reason it
// stopped early, or an empty string at the end of the bytes.
class SpoolWalk {
 public:
  SpoolWalk(std::span<const uint8_t> bytes, EmfSpool& spool) : bytes_(bytes), spool_(spool) {}

  std::string Run(uint64_t& at) {
    while (at < bytes_.size()) {
      if (bytes_.size() - at < 8) return "a record is cut short";
      const uint32_t type = U32At(bytes_, at);
      const uint32_t size = U32At(bytes_, at + 4);
      const SpoolRecordEntry* entry = FindRecord(type);
      if (entry == nullptr) return "record type " + std::to_string(type) + " is unknown";
      const std::string name = entry->name;
      if (size > bytes_.size() - at - 8)
        return name + " is cut short: it claims " + std::to_string(size) + " bytes, " +
               std::to_string(bytes_.size() - at - 8) + " follow";
      const std::string why = Take(*entry, at, bytes_.subspan(at + 8, size));
      if (!why.empty()) return name + " " + why;
      // Records are padded to four bytes; the last one's padding may be missing.
      at = std::min<uint64_t>(at + 8 + (uint64_t{size} + 3) / 4 * 4, bytes_.size());
    }
    return {};
  }

 private:
  std::string Take(const SpoolRecordEntry& entry, uint64_t at, std::span<const uint8_t> data) {
    switch (entry.role) {
      case Role::Page:
      case Role::MonochromePage:
        return TakePage(at, data, entry.role == Role::MonochromePage);
      case Role::PageOffset:
      case Role::MonochromePageOffset:
        return TakePageOffset(at, data, entry.role == Role::MonochromePageOffset);
      case Role::DevMode:
        devMode_ = ReadDevMode(data);
        return devMode_ ? std::string() : "is too short for the fields it claims";
      case Role::Skipped:
        if (spool_.skipped.size() < kMaxSkippedNotes) spool_.skipped.push_back({entry.type, at});
        ++spool_.skippedCount;
        return {};
    }
    return {};
  }

  std::string TakePage(uint64_t at, std::span<const uint8_t> data, bool monochrome) {
    if (data.size() > kMaxBytes) return "holds a page larger than 1 GiB";
    if (data.size() < kEmfHeaderMinimum || !IsEmfHeader(data))
      return "does not hold an enhanced metafile";
    const uint32_t headerSize = U32At(data, 4);
    const uint32_t nBytes = U32At(data, 48);
    if (headerSize < kEmfHeaderMinimum || headerSize > data.size() || nBytes > data.size())
      return "holds a metafile whose sizes do not fit the record";
    pageRecords_.push_back(at);
    spool_.pages.push_back({at + 8, data.size(), monochrome, devMode_});
    return {};
  }

  // The offset counts back from this record to the page's content record,
  // which must be one already read.
  std::string TakePageOffset(uint64_t at, std::span<const uint8_t> data, bool monochrome) {
    if (data.size() < 8) return "is too short for its offset";
    RecordReader in(data, 0);
    const uint64_t low = in.U32();
    const uint64_t back = low | uint64_t{in.U32()} << 32;
    if (back == 0 || back > at) return "points outside the file";
    const auto page = std::lower_bound(pageRecords_.begin(), pageRecords_.end(), at - back);
    if (page == pageRecords_.end() || *page != at - back) return "points to no page";
    if (monochrome) spool_.pages[page - pageRecords_.begin()].monochrome = true;
    return {};
  }

  std::span<const uint8_t> bytes_;
  EmfSpool& spool_;
  std::vector<uint64_t> pageRecords_;  // where each page's record starts, ascending
  std::optional<SpoolDevMode> devMode_;
};

}  // namespace

InputKind DetectInputKind(std::span<const uint8_t> bytes) {
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\x03\x04", 4) == 0)
    return InputKind::ZipPackage;
  if (IsEmfHeader(bytes)) return InputKind::Emf;
  if (SpoolHeaderSize(bytes) != 0) return InputKind::EmfSpool;
  return InputKind::Unknown;
}

std::string InputKindRefusal(InputKind kind, const std::string& name) {
  switch (kind) {
    case InputKind::Emf:
    case InputKind::EmfSpool:
      return {};
    case InputKind::ZipPackage:
      return name + " is a ZIP package (an XPS print job's spool file), not an EMF spool file";
    case InputKind::Unknown:
      break;
  }
  return name + " is neither an EMF file nor an EMF spool file";
}

std::string SpoolRecordName(uint32_t type) {
  const SpoolRecordEntry* entry = FindRecord(type);
  return entry != nullptr ? entry->name : "record type " + std::to_string(type);
}

EmfSpool ReadEmfSpool(std::span<const uint8_t> bytes, const std::string& name) {
  const InputKind kind = DetectInputKind(bytes);
  if (kind == InputKind::Emf) throw NotASpoolFile(name + " is an EMF file, not an EMF spool file");
  if (kind != InputKind::EmfSpool) throw NotASpoolFile(InputKindRefusal(kind, name));
  const uint32_t headerSize = SpoolHeaderSize(bytes);
  EmfSpool spool;
  spool.documentName =
      HeaderString(bytes.first(std::min<size_t>(headerSize, bytes.size())), U32At(bytes, 8));
  uint64_t at = headerSize;
  std::string why;
  if (headerSize > bytes.size()) {
    at = 0;
    why = "the header is cut short: it claims " + std::to_string(headerSize) + " bytes, " +
          std::to_string(bytes.size()) + " are there";
  } else {
    why = SpoolWalk(bytes, spool).Run(at);
  }
  if (!why.empty()) {
    spool.damageOffset = at;
    spool.damage = name + " is damaged at byte " + std::to_string(at) + ": " + why +
                   "; the pages before it (" + std::to_string(spool.pages.size()) + ") are kept";
  }
  return spool;
}

EmfSpoolFile EmfSpoolFile::Load(const std::string& path) {
  return EmfSpoolFile(platform::ReadWholeFile(path, kMaxBytes), path);
}

EmfSpoolFile EmfSpoolFile::FromBytes(std::vector<uint8_t> bytes, const std::string& name) {
  return EmfSpoolFile(std::move(bytes), name);
}

EmfSpoolFile::EmfSpoolFile(std::vector<uint8_t> bytes, const std::string& name)
    : bytes_(std::move(bytes)), name_(name), spool_(ReadEmfSpool(bytes_, name)) {}

std::span<const uint8_t> EmfSpoolFile::PageBytes(size_t page) const {
  const SpoolPage& p = spool_.pages.at(page);
  return std::span<const uint8_t>(bytes_).subspan(p.offset, p.size);
}

EmfReader EmfSpoolFile::PageReader(size_t page) const {
  const auto bytes = PageBytes(page);
  return EmfReader::FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()),
                              name_ + " page " + std::to_string(page + 1));
}

}  // namespace emf2pdf
