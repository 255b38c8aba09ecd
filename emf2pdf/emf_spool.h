#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "emf2pdf/emf_reader.h"

namespace emf2pdf {

// What a file's bytes say it is, whatever its name.
enum class InputKind {
  Emf,         // an enhanced metafile: one page
  EmfSpool,    // a Windows EMF spool file: every page in it
  ZipPackage,  // an XPS print job's spool file (or another ZIP package)
  Unknown,
};

InputKind DetectInputKind(std::span<const uint8_t> bytes);

// The message for a file that cannot be read as EMF pages, naming `name`;
// empty for the kinds that can.
std::string InputKindRefusal(InputKind kind, const std::string& name);

// A file that is not an EMF spool file; the message says what it is when
// that is known.
class NotASpoolFile : public std::runtime_error {
 public:
  explicit NotASpoolFile(const std::string& message) : std::runtime_error(message) {}
};

// The device settings the application printed with, from a DEVMODE; each
// value is 0 where the DEVMODE does not set it.
struct SpoolDevMode {
  int16_t paperSize = 0;    // DMPAPER_* (1 letter, 9 A4, ...)
  int16_t paperWidth = 0;   // tenths of a millimetre
  int16_t paperLength = 0;  // tenths of a millimetre
  int16_t orientation = 0;  // 1 portrait, 2 landscape
};

// One page: where its enhanced metafile lies in the spool file.
struct SpoolPage {
  uint64_t offset = 0;
  uint64_t size = 0;
  bool monochrome = false;
  // The last DEVMODE before the page, if any.
  std::optional<SpoolDevMode> devMode;
};

// A record that is read past without being used (fonts, PostScript data).
struct SpoolRecordNote {
  uint32_t type = 0;
  uint64_t offset = 0;
};

// The name of a spool record type ("EMRI_ENGINE_FONT"), or "record type N".
std::string SpoolRecordName(uint32_t type);

// The pages of an EMF spool file, found once; page bytes are not copied.
struct EmfSpool {
  std::string documentName;  // UTF-8; empty when the header has none
  std::vector<SpoolPage> pages;
  std::vector<SpoolRecordNote> skipped;  // the first 4096
  size_t skippedCount = 0;
  // Empty when every record was read; else where the walk stopped and why,
  // as a sentence naming the file. The pages before that place are kept.
  std::string damage;
  uint64_t damageOffset = 0;
};

// Reads the records of spool bytes held in memory; `name` appears in
// messages. Throws NotASpoolFile when the bytes are not a spool file.
EmfSpool ReadEmfSpool(std::span<const uint8_t> bytes, const std::string& name);

// A spool file read into memory once (regular files of up to 1 GiB, like a
// page file), with its pages.
class EmfSpoolFile {
 public:
  // Throws NotASpoolFile, or std::runtime_error when the file cannot be read.
  static EmfSpoolFile Load(const std::string& path);
  static EmfSpoolFile FromBytes(std::vector<uint8_t> bytes, const std::string& name = "data");

  const EmfSpool& Spool() const { return spool_; }
  const std::string& Name() const { return name_; }
  std::span<const uint8_t> PageBytes(size_t page) const;
  // The page's metafile, named "NAME page N" in messages; throws
  // NotAMetafile like EmfReader.
  EmfReader PageReader(size_t page) const;

 private:
  EmfSpoolFile(std::vector<uint8_t> bytes, const std::string& name);

  std::vector<uint8_t> bytes_;
  std::string name_;
  EmfSpool spool_;
};

}  // namespace emf2pdf
