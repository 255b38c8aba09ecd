#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The whole content of a file, read with one allocation of its size.
// Throws std::runtime_error naming the file when it cannot be opened or read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace platform
