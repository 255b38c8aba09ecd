#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace pdf {

// Facsimile coding (ITU-T T.4 group 3 and T.6 group 4) of a 1-bit bitmap, the
// data of a "/CCITTFaxDecode" image. The bitmap's 1 bits are coded as white.
class TCCITTCompression {
 public:
  enum Mode { kGroup3OneDimensional = 0, kGroup3TwoDimensional = 1, kGroup4 = 2 };

  TCCITTCompression(std::string* stream, int width, int mode);

  void CompressRow(const uint8_t* row);
  // Ends the data: the end-of-block code in group 4, then the last byte.
  void Finish();

 private:
  void CodeOneDimensional();
  void CodeTwoDimensional();
  void PutBits(uint32_t code, int length);
  void PutRun(int length, bool black);
  void FlushBytes();

  std::string* stream_;  // not owned
  size_t bytesPerRow_;
  int width_;
  int mode_;
  std::vector<uint8_t> row_;        // current row, 1 bits black
  std::vector<uint8_t> reference_;  // previous row, starts all white
  uint64_t pending_ = 0;            // bits not yet written, most significant first
  int pendingCount_ = 0;
};

// Encodes `bitmap` (1 bit per pixel) into `stream` in the given mode
// (0 group 3 one-dimensional, 1 group 3 two-dimensional, 2 group 4). A bitmap
// of no pixels writes nothing. Raises std::runtime_error "Not set output
// stream." without a stream and "Not b/w image." for other pixel formats.
void CompressBitmap(const platform::TBitmap& bitmap, std::string* stream, int mode);

}  // namespace pdf
