#include "pdf/document.h"

namespace pdf {

int TPDFDocument::AddImage(const TPDFGraphic& graphic, ImageCompression compression,
                           int64_t transparentColor, bool isMask, int maskIndex,
                           const std::string& softMask) {
  RequireActive();
  return images_.Add(graphic, compression, transparentColor, isMask, maskIndex, softMask);
}

}  // namespace pdf
