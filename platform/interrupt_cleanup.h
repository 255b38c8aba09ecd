#pragma once

#include <string>

namespace platform {

// While it lives, the named file is removed if the process is ended by
// SIGTERM, SIGHUP or SIGINT (the signal then ends the process as it would
// have). A signal the process ignores stays ignored. SIGXFSZ is caught and
// does nothing, so a write past the file-size limit fails with EFBIG and the
// writer cleans up through its error path. At most a handful of files at a
// time; beyond that a file is simply not removed.
class RemoveOnInterrupt {
 public:
  // Installs the handlers without naming a file yet (a writer whose file
  // has no name still wants EFBIG rather than death by SIGXFSZ).
  static void InstallHandlers();

  explicit RemoveOnInterrupt(const std::string& path);
  ~RemoveOnInterrupt();
  RemoveOnInterrupt(const RemoveOnInterrupt&) = delete;
  RemoveOnInterrupt& operator=(const RemoveOnInterrupt&) = delete;

 private:
  int slot_ = -1;
};

}  // namespace platform
