#include "pdf/deflate.h"

#include <zlib.h>

#include <stdexcept>

namespace pdf {

std::string Deflate(std::string_view data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                           reinterpret_cast<const Bytef*>(data.data()),
                           static_cast<uLong>(data.size()), level);
  if (rc != Z_OK) throw std::runtime_error("Deflate failed");
  out.resize(size);
  return out;
}

}  // namespace pdf
