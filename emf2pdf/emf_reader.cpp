#include "emf2pdf/emf_reader.h"

#include <cmath>
#include <cstring>

#include "emf2pdf/emf_records.h"
#include "emf2pdf/record_reader.h"
#include "platform/file_bytes.h"

namespace emf2pdf {

namespace {

constexpr size_t kHeaderMinimum = 88;

}  // namespace

double FramePixels(double hundredthsOfMillimetre, int32_t devicePixels, int32_t deviceMillimetres) {
  if (deviceMillimetres == 0) return 0;
  const double pixels =
      hundredthsOfMillimetre * devicePixels / (static_cast<double>(deviceMillimetres) * 100);
  if (!std::isfinite(pixels) || std::fabs(pixels) > 2147483647.0) return 0;
  return std::round(pixels);
}

EmfReader EmfReader::Load(const std::string& path) {
  return EmfReader(platform::ReadWholeFile(path), path);
}

EmfReader EmfReader::FromBytes(std::vector<uint8_t> bytes, const std::string& name) {
  return EmfReader(std::move(bytes), name);
}

EmfReader::EmfReader(std::vector<uint8_t> bytes, const std::string& name)
    : bytes_(std::move(bytes)) {
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
