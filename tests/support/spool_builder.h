#pragma once

// Builds EMF spool files record by record around pages made with the EMF
// builder, for the records and damage real files lack. Plain C++ on purpose:
// it depends on nothing of the project.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace spoolbuild {

constexpr uint32_t EMRI_ENGINE_FONT = 0x02;
constexpr uint32_t EMRI_DEVMODE = 0x03;
constexpr uint32_t EMRI_PRESTARTPAGE = 0x05;
constexpr uint32_t EMRI_BW_METAFILE = 0x0A;
constexpr uint32_t EMRI_METAFILE_DATA = 0x0C;
constexpr uint32_t EMRI_METAFILE_EXT = 0x0D;
constexpr uint32_t EMRI_BW_METAFILE_EXT = 0x0E;

class SpoolBuilder {
 public:
  // The header with the document name (UTF-16LE, NUL-terminated).
  explicit SpoolBuilder(const std::u16string& documentName = u"Spooled document");

  // Any record: its type and data, padded to four bytes.
  SpoolBuilder& record(uint32_t type, const std::vector<uint8_t>& data);
  // A page's metafile in a content record, followed by the offset record
  // that points back to it unless `offsetType` is 0.
  SpoolBuilder& page(const std::vector<uint8_t>& emf, uint32_t type = EMRI_METAFILE_DATA,
                     uint32_t offsetType = EMRI_METAFILE_EXT);
  // An offset record counting `back` bytes back from its own start.
  SpoolBuilder& pageOffset(uint64_t back, uint32_t type = EMRI_METAFILE_EXT);
  // A DEVMODEW of 220 bytes with the paper fields and dmFields as given.
  SpoolBuilder& devMode(uint32_t fields, int16_t orientation, int16_t paperSize,
                        int16_t paperLength, int16_t paperWidth);

  // Where the next record starts.
  size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace spoolbuild
