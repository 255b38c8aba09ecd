#include "platform/random_bytes.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace platform {

std::string RandomBytes(size_t count) {
  std::string bytes(count, '\0');
  size_t got = 0;
  while (got < count) {
    const ssize_t n = ::getrandom(bytes.data() + got, count - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw std::runtime_error(std::string("Cannot draw random bytes: ") + std::strerror(errno));
    got += static_cast<size_t>(n);
  }
  return bytes;
}

}  // namespace platform
