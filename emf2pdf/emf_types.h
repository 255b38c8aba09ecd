#pragma once

#include <cstdint>

// Plain values of the enhanced metafile format, as read from a record.
namespace emf2pdf {

struct PointL {
  int32_t x = 0;
  int32_t y = 0;
};

struct SizeL {
  int32_t cx = 0;
  int32_t cy = 0;
};

struct RectL {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// World transform; doubles so that products of two transforms stay exact
// enough and never overflow the float range before they are checked.
struct XForm {
  double eM11 = 1;
  double eM12 = 0;
  double eM21 = 0;
  double eM22 = 1;
  double eDx = 0;
  double eDy = 0;
};

// A x B, as the platform combines world transforms.
inline XForm Multiply(const XForm& a, const XForm& b) {
  XForm r;
  r.eM11 = a.eM11 * b.eM11 + a.eM12 * b.eM21;
  r.eM12 = a.eM11 * b.eM12 + a.eM12 * b.eM22;
  r.eM21 = a.eM21 * b.eM11 + a.eM22 * b.eM21;
  r.eM22 = a.eM21 * b.eM12 + a.eM22 * b.eM22;
  r.eDx = a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx;
  r.eDy = a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy;
  return r;
}

// The parts of the header record the converter and the interpreter use.
struct EmfHeader {
  RectL rclBounds;  // device units
  RectL rclFrame;   // 0.01 mm
  uint32_t nBytes = 0;
  uint32_t nRecords = 0;
  uint16_t nHandles = 0;
  SizeL szlDevice;       // pixels of the reference device
  SizeL szlMillimeters;  // millimetres of the reference device
};

}  // namespace emf2pdf
