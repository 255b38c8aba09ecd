#pragma once

#include <string>
#include <string_view>

namespace pdf {

// Compression levels on libdeflate's scale (1 fastest ... 12 smallest),
// chosen with bench/deflate_bench on the streams of the corpus's PDF (the
// README's Speed section has the table): level 5 writes streams no larger
// than zlib's default level in a third of its time.
inline constexpr int kDeflateLevel = 5;
// Page contents, most of the bytes deflated: level 3 takes 19% less time
// than 4 for 0.8% more bytes (0.6% of the file); level 2 would add 1.6%
// of the file, level 1 4%.
inline constexpr int kPageContentDeflateLevel = 3;
// Pictures stay at 5: level 4 takes 17% less time on the corpus's pictures
// for 1.2% more bytes, but pages of raster operations composited in many
// images grow by 5 to 15% at it.
inline constexpr int kImageDeflateLevel = kDeflateLevel;
// Font programs: level 6 makes them 0.03% smaller than 5 and level 9 0.1%.
inline constexpr int kFontProgramDeflateLevel = kDeflateLevel;

// zlib-format deflate ("/FlateDecode") at a level from 1 to 12.
std::string Deflate(std::string_view data, int level = kDeflateLevel);

// zlib-format deflate of an image that repeats a tile: `tile` holds its rows
// of `rowBytes` each; the image repeats each row `across` times and the
// whole band of rows `down` times. Written as copies, without searching.
std::string DeflateTiled(std::string_view tile, size_t rowBytes, size_t across, size_t down);

}  // namespace pdf
