#pragma once

#include <cstddef>
#include <string>

namespace platform {

// `count` bytes from the kernel's random source (getrandom); throws
// std::runtime_error when it cannot give them.
std::string RandomBytes(size_t count);

}  // namespace platform
