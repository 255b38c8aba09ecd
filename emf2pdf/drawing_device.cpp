#include "emf2pdf/drawing_device.h"

#include <cassert>

namespace emf2pdf {

void DrawingDevice::Begin(const StrokeStyle& pen) {
  pushedClips_ = 0;
  DoBegin(pen);
}

void DrawingDevice::End() {
  while (pushedClips_ > 0) PopClip();
  DoEnd();
}

void DrawingDevice::PushClip(const DevicePath& path, const FillStyle* fill) {
  ++pushedClips_;
  DoPushClip(path, fill);
}

void DrawingDevice::PopClip() {
  if (pushedClips_ == 0) {
    assert(!"PopClip without PushClip");
    ++strayPops_;
    return;
  }
  --pushedClips_;
  DoPopClip();
}

}  // namespace emf2pdf
