#pragma once

#include <string>
#include <string_view>

namespace pdf {

// Compression levels on libdeflate's scale (1 fastest ... 12 smallest),
// chosen with bench/deflate_bench on the streams of the corpus: level 5
// writes page contents and images no larger than zlib's default level in a
// third of its time; 6 saves 1% for 35% more time, 4 costs 3% in size.
inline constexpr int kDeflateLevel = 5;
// Page contents, a third of a vector-heavy job's time even at level 5: level
// 4 takes 30% less time for 3.6% more bytes on the corpus (12% of the whole
// job's time, 2.5% of its output).
inline constexpr int kPageContentDeflateLevel = 4;
// Font programs: level 6 makes them 0.03% smaller than 5 and level 9 0.1%;
// one level for every stream also means one compressor for the run.
inline constexpr int kFontProgramDeflateLevel = kDeflateLevel;

// zlib-format deflate ("/FlateDecode") at a level from 1 to 12.
std::string Deflate(std::string_view data, int level = kDeflateLevel);

// zlib-format deflate of an image that repeats a tile: `tile` holds its rows
// of `rowBytes` each; the image repeats each row `across` times and the
// whole band of rows `down` times. Written as copies, without searching.
std::string DeflateTiled(std::string_view tile, size_t rowBytes, size_t across, size_t down);

}  // namespace pdf
