#include "pdf/rc4.h"

#include <stdexcept>
#include <utility>

namespace pdf {

Rc4::Rc4(std::span<const uint8_t> key) {
  if (key.empty() || key.size() > 256) throw std::runtime_error("RC4: Invalid key length");
  for (int k = 0; k < 256; ++k) s_[k] = static_cast<uint8_t>(k);
  uint8_t j = 0;
  for (int k = 0; k < 256; ++k) {
    j = static_cast<uint8_t>(j + s_[k] + key[static_cast<size_t>(k) % key.size()]);
    std::swap(s_[k], s_[j]);
  }
}

void Rc4::apply(uint8_t* data, size_t size) {
  for (size_t n = 0; n < size; ++n) {
    i_ = static_cast<uint8_t>(i_ + 1);
    j_ = static_cast<uint8_t>(j_ + s_[i_]);
    std::swap(s_[i_], s_[j_]);
    data[n] ^= s_[static_cast<uint8_t>(s_[i_] + s_[j_])];
  }
}

}  // namespace pdf
