#include "pdf/pdf_types.h"

namespace pdf {

PageDimensions PageSizeDimensions(TPDFPageSize size) {
  static constexpr PageDimensions kSizes[kPageSizeCount] = {
      {0, 0},     {612, 792},  {595, 842}, {842, 1190}, {612, 1008}, {516, 728},  {459, 649},
      {595, 792}, {728, 1031}, {419, 595}, {612, 936},  {522, 756},  {728, 1031}, {499, 708},
      {323, 459}, {312, 623},  {279, 540}, {279, 639},  {297, 684},  {324, 747}};
  return size < kPageSizeCount ? kSizes[size] : kSizes[psA4];
}

}  // namespace pdf
