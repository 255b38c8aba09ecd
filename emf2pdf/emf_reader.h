#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "emf2pdf/emf_types.h"

namespace emf2pdf {

// A length of the header's frame (hundredths of a millimetre) in pixels of
// the device the picture was recorded for, a x b / c in doubles (a real A0
// frame at 1200 dpi already overflows 32 bits). Halves away from zero; 0
// when there is no sane result.
double FramePixels(double hundredthsOfMillimetre, int32_t devicePixels, int32_t deviceMillimetres);

// A file that is not an enhanced metafile at all; the whole page is refused.
class NotAMetafile : public std::runtime_error {
 public:
  explicit NotAMetafile(const std::string& message) : std::runtime_error(message) {}
};

// One record of the walk: its type and all of its bytes (type and size
// included), which lie inside the file.
struct EmfRecord {
  uint32_t type = 0;
  std::span<const uint8_t> bytes;
  size_t offset = 0;  // in the file, for messages
};

// An enhanced metafile, loaded into memory once. The header is checked when
// the file is taken; the record walk stops at the first record whose size
// cannot be right, so a broken file gives the records before the damage.
class EmfReader {
 public:
  // Reads the records of a regular file up to EMR_EOF or the header's nBytes;
  // throws NotAMetafile (or std::runtime_error when the file is not a regular
  // file, holds records past 1 GiB or cannot be read).
  static EmfReader Load(const std::string& path);
  // The same for the metafile in `size` bytes from `offset` of a file (a
  // spool file's page): only that range is read. `name` appears in messages.
  static EmfReader LoadRange(const std::string& path, uint64_t offset, uint64_t size,
                             const std::string& name);
  // Takes bytes already in memory; `name` appears in messages.
  static EmfReader FromBytes(std::vector<uint8_t> bytes, const std::string& name = "data");

  const EmfHeader& Header() const { return header_; }
  // The file name (or the name given with the bytes), for messages.
  const std::string& Name() const { return name_; }
  std::span<const uint8_t> Bytes() const { return bytes_; }

  // Hands every record, from the header on, to `visit` in file order. Stops
  // after EMR_EOF, at the end of the file, or at a record whose size is below
  // 8, not a multiple of 4 or past the end. Returns false when it stopped at
  // such a broken record.
  bool Walk(const std::function<void(const EmfRecord&)>& visit) const;

 private:
  EmfReader(std::vector<uint8_t> bytes, const std::string& name);

  std::vector<uint8_t> bytes_;
  std::string name_;
  EmfHeader header_;
};

}  // namespace emf2pdf
