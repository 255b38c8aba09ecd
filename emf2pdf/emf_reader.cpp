#include "emf2pdf/emf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/record_reader.h"
#include "platform/file_bytes.h"

namespace emf2pdf {

namespace {

constexpr size_t kHeaderMinimum = 88;
// A page larger than this is not a print job's page; it is refused by name.
constexpr uint64_t kMaxPageBytes = uint64_t{1} << 30;
// Room taken ahead for a file; more is grown into as records arrive, so a
// header that claims gigabytes reserves nothing it does not use.
constexpr uint64_t kMaxReserve = 64 << 20;

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// Where reading may stop: the header's nBytes when it is plausible, else the
// file's size.
uint64_t ReadLimit(const std::vector<uint8_t>& header, uint64_t fileSize) {
  if (header.size() < kHeaderMinimum || U32At(header, 0) != emr::EMR_HEADER ||
      U32At(header, 40) != emr::ENHMETA_SIGNATURE)
    return header.size();  // not a metafile: the header is all the refusal needs
  const uint32_t nBytes = U32At(header, 48);
  return nBytes >= kHeaderMinimum ? std::min<uint64_t>(nBytes, fileSize) : fileSize;
}

// The bytes the walk can use: records up to EMR_EOF, the header's nBytes,
// the first record whose size cannot be right, or the end of the file. A
// sparse file that claims gigabytes past its EOF record costs what its
// records hold. `available` bytes follow the file's current position;
// `name` names the page in messages.
std::vector<uint8_t> ReadRecords(platform::ReadableFile& file, uint64_t available,
                                 const std::string& name) {
  std::vector<uint8_t> bytes;
  file.Append(bytes, static_cast<size_t>(std::min<uint64_t>(kHeaderMinimum, available)));
  const uint64_t limit = ReadLimit(bytes, available);
  bytes.reserve(static_cast<size_t>(std::min(limit, kMaxReserve)));
  size_t scan = 0;  // the first record not yet known to be complete
  size_t chunk = 1 << 16;
  for (;;) {
    while (bytes.size() - scan >= 8) {
      const uint32_t size = U32At(bytes, scan + 4);
      if (size < 8 || size % 4 != 0 || scan + size > limit) return bytes;
      if (scan + size > kMaxPageBytes) throw platform::TooLargeError(name, kMaxPageBytes);
      if (size > bytes.size() - scan) break;
      if (U32At(bytes, scan) == emr::EMR_EOF) {
        bytes.resize(scan + size);
        return bytes;
      }
      scan += size;
    }
    const uint64_t want =
        std::min<uint64_t>(chunk, limit - std::min<uint64_t>(limit, bytes.size()));
    if (want == 0 || file.Append(bytes, static_cast<size_t>(want)) == 0) return bytes;
    chunk = std::min<size_t>(chunk * 2, 16 << 20);
  }
}

}  // namespace

double FramePixels(double hundredthsOfMillimetre, int32_t devicePixels, int32_t deviceMillimetres) {
  if (deviceMillimetres == 0) return 0;
  const double pixels =
      hundredthsOfMillimetre * devicePixels / (static_cast<double>(deviceMillimetres) * 100);
  if (!std::isfinite(pixels) || std::fabs(pixels) > 2147483647.0) return 0;
  return std::round(pixels);
}

EmfReader EmfReader::Load(const std::string& path) {
  platform::ReadableFile file(path);
  return EmfReader(ReadRecords(file, file.Size(), path), path);
}

EmfReader EmfReader::LoadRange(const std::string& path, uint64_t offset, uint64_t size,
                               const std::string& name) {
  platform::ReadableFile file(path);
  // A file that shrank since its pages were found gives what is still there.
  const uint64_t available = offset < file.Size() ? std::min(size, file.Size() - offset) : 0;
  file.Seek(offset);
  return EmfReader(ReadRecords(file, available, name), name);
}

EmfReader EmfReader::FromBytes(std::vector<uint8_t> bytes, const std::string& name) {
  return EmfReader(std::move(bytes), name);
}

EmfReader::EmfReader(std::vector<uint8_t> bytes, const std::string& name)
    : bytes_(std::move(bytes)), name_(name) {
  const std::string refused = name + " is not an enhanced metafile";
  if (bytes_.size() < kHeaderMinimum) throw NotAMetafile(refused);
  RecordReader in(bytes_, 0);
  const uint32_t type = in.U32();
  const uint32_t size = in.U32();
  header_.rclBounds = in.RectL32();
  header_.rclFrame = in.RectL32();
  const uint32_t signature = in.U32();
  if (type != emr::EMR_HEADER || signature != emr::ENHMETA_SIGNATURE || size < kHeaderMinimum)
    throw NotAMetafile(refused);
  in.U32();  // nVersion
  header_.nBytes = in.U32();
  header_.nRecords = in.U32();
  header_.nHandles = in.U16();
  in.U16();  // sReserved
  in.U32();  // nDescription
  in.U32();  // offDescription
  in.U32();  // nPalEntries
  header_.szlDevice = in.SizeL32();
  header_.szlMillimeters = in.SizeL32();
}

bool EmfReader::Walk(const std::function<void(const EmfRecord&)>& visit) const {
  const size_t total = bytes_.size();
  size_t offset = 0;
  while (total - offset >= 8) {
    RecordReader in(std::span<const uint8_t>(bytes_).subspan(offset, 8), 0);
    EmfRecord record;
    record.type = in.U32();
    const uint32_t size = in.U32();
    if (size < 8 || size % 4 != 0 || size > total - offset) return false;
    record.bytes = std::span<const uint8_t>(bytes_).subspan(offset, size);
    record.offset = offset;
    visit(record);
    if (record.type == emr::EMR_EOF) return true;
    offset += size;
  }
  return offset == total;
}

}  // namespace emf2pdf
