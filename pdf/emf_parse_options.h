#pragma once

namespace pdf {

enum TPDFLineCap { lcButtEnd, lcRound, lcProjectingSquare };
enum TPDFLineJoin { ljMiter, ljRound, ljBevel };

// How metafiles are replayed onto pages. The writer only keeps these; the
// interpreter reads them. The reference device is a virtual 96 dpi device.
struct TPDFEMFParseOptions {
  bool Redraw = true;
  bool ColorImagesAsJPEG = false;
  TPDFLineCap LineCap = lcProjectingSquare;
  TPDFLineJoin LineJoin = ljBevel;
  int ReferencePixelsPerInchX = 96;
  int ReferencePixelsPerInchY = 96;
};

}  // namespace pdf
