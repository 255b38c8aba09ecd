#pragma once

#include <string>
#include <vector>

#include "emf2pdf/emf_reader.h"
#include "emf2pdf/page_source.h"

namespace emf2pdf {

// Whether a picture has records that may need a compositor (a binary
// raster operation other than a copy, a bitmap record whose operation
// takes the destination or the brush): cheap, from the records alone.
bool MayComposeRaster(const EmfReader& emf);

// Whether playing the picture does ask a compositor for something: played
// without output where MayComposeRaster says it may. Without blend modes
// (`blendModes` false: PDF/A-1) the operations they stand for need it too.
bool NeedsRasterCompositor(const EmfReader& emf, bool blendModes = true);

// Whether any of the page files does; files that cannot be read count as
// not (their conversion reports them).
bool PagesNeedRasterCompositor(const std::vector<PageSource>& pages, bool blendModes = true);

}  // namespace emf2pdf
