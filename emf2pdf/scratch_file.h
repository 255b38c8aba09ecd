#pragma once

#include <string>

namespace emf2pdf {

// A unique name in the temporary folder for a file the PDF writer writes
// and the caller reads back; the file is removed on destruction.
class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace emf2pdf
