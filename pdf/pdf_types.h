#pragma once

#include <cstdint>

namespace pdf {

// Enumerations stored by the settings as their ordinal numbers.
enum TPDFPageSize : uint8_t {
  psUserDefined,
  psLetter,
  psA4,
  psA3,
  psLegal,
  psB5,
  psC5,
  ps8x11,
  psB4,
  psA5,
  psFolio,
  psExecutive,
  psEnvB4,
  psEnvB5,
  psEnvC6,
  psEnvDL,
  psEnvMonarch,
  psEnv9,
  psEnv10,
  psEnv11
};
inline constexpr int kPageSizeCount = 20;

enum TPDFPageOrientation : uint8_t { poPagePortrait, poPageLandscape };
enum TPDFVersion : uint8_t { v13, v14, v15, v16, v17 };
enum TCompressionType : uint8_t { ctNone, ctFlate };
// RC4 40 and 128 bits, AES-128 (from PDF 1.6), AES-256 (from PDF 1.7).
enum TPDFKeyLength : uint8_t { kl40, kl128, klAES128, klAES256 };
// Archival conformance: none, PDF/A-1b (PDF 1.4, nothing translucent),
// PDF/A-2b (PDF 1.7).
enum TPDFConformance : uint8_t { pcNone, pcPDFA1b, pcPDFA2b };
enum TPageLayout : uint8_t { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum TPageMode : uint8_t { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };

// Permission set, one bit per option in this order.
enum TPDFCriptoOption : uint8_t {
  coPrint = 1 << 0,
  coModifyStructure = 1 << 1,
  coCopyInformation = 1 << 2,
  coModifyAnnotation = 1 << 3,
  coPrintHi = 1 << 4,
  coFillAnnotation = 1 << 5,
  coExtractInfo = 1 << 6,
  coAssemble = 1 << 7,
};
using TPDFCtiptoOptions = uint8_t;

enum TViewerPreference : uint8_t {
  vpHideToolBar = 1 << 0,
  vpHideMenuBar = 1 << 1,
  vpHideWindowUI = 1 << 2,
  vpFitWindow = 1 << 3,
  vpCenterWindow = 1 << 4,
};
using TViewerPreferences = uint8_t;

// Width and height in points of each page size; psUserDefined keeps the size.
struct PageDimensions {
  int width;
  int height;
};
PageDimensions PageSizeDimensions(TPDFPageSize size);

}  // namespace pdf
