// Bitmap records. Dispatched here already; drawing them arrives with the
// image work (DIB decoding, raster operations, image resources).
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

void TEMWParser::OnBitBlt(RecordReader&) {
  // Bitmap or pattern fill of a destination rectangle.
}

void TEMWParser::OnStretchBlt(RecordReader&) {
  // Bitmap stretched into a destination rectangle.
}

void TEMWParser::OnMaskBlt(RecordReader&) {
  // Bitmap combined with a mask.
}

void TEMWParser::OnSetDIBitsToDevice(RecordReader&) {
  // Bitmap rows copied to the device unscaled.
}

void TEMWParser::OnStretchDIBits(RecordReader&) {
  // Bitmap stretched into a destination rectangle.
}

void TEMWParser::OnAlphaBlend(RecordReader&) {
  // Bitmap blended by its alpha channel.
}

void TEMWParser::OnTransparentBlt(RecordReader&) {
  // Bitmap with one colour left transparent.
}

}  // namespace emf2pdf
