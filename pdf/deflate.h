#pragma once

#include <string>
#include <string_view>

namespace pdf {

// zlib-format deflate ("/FlateDecode"); level -1 is zlib's default.
std::string Deflate(std::string_view data, int level = -1);

}  // namespace pdf
