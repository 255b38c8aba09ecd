// Text records. Dispatched here already; drawing them arrives with the text
// work (fonts, metrics, alignment, text colour and background).
#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

void TEMWParser::ResetTextState() {
  // Horizontal scaling 100, character and word spacing 0 and no baseline
  // origin, at the start and the end of a picture.
}

void TEMWParser::OnExtTextOutA(RecordReader&) {
  // Single-byte text in the current font's code page.
}

void TEMWParser::OnExtTextOutW(RecordReader&) {
  // UTF-16 text.
}

void TEMWParser::OnSmallTextOut(RecordReader&) {
  // Compact text record: optional clip rectangle, 8- or 16-bit characters.
}

}  // namespace emf2pdf
