#include "emf2pdf/scratch_file.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "platform/folders.h"

namespace emf2pdf {

ScratchFile::ScratchFile() {
  std::string pattern = platform::TemporaryFolder() + "tallowcraft-page-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw std::runtime_error("Cannot create a file in " + platform::TemporaryFolder());
  close(fd);
  path_ = pattern;
}

ScratchFile::~ScratchFile() { std::remove(path_.c_str()); }

}  // namespace emf2pdf
