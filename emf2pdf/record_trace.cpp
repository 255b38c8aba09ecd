#include "emf2pdf/record_trace.h"

#include <array>
#include <cstdlib>

namespace emf2pdf {

namespace {

// Indexed by type; empty where the format defines no record.
constexpr std::array<const char*, 123> kTypeNames = {
    "",
    "EMR_HEADER",
    "EMR_POLYBEZIER",
    "EMR_POLYGON",
    "EMR_POLYLINE",
    "EMR_POLYBEZIERTO",
    "EMR_POLYLINETO",
    "EMR_POLYPOLYLINE",
    "EMR_POLYPOLYGON",
    "EMR_SETWINDOWEXTEX",
    "EMR_SETWINDOWORGEX",  // 10
    "EMR_SETVIEWPORTEXTEX",
    "EMR_SETVIEWPORTORGEX",
    "EMR_SETBRUSHORGEX",
    "EMR_EOF",
    "EMR_SETPIXELV",
    "EMR_SETMAPPERFLAGS",
    "EMR_SETMAPMODE",
    "EMR_SETBKMODE",
    "EMR_SETPOLYFILLMODE",
    "EMR_SETROP2",  // 20
    "EMR_SETSTRETCHBLTMODE",
    "EMR_SETTEXTALIGN",
    "EMR_SETCOLORADJUSTMENT",
    "EMR_SETTEXTCOLOR",
    "EMR_SETBKCOLOR",
    "EMR_OFFSETCLIPRGN",
    "EMR_MOVETOEX",
    "EMR_SETMETARGN",
    "EMR_EXCLUDECLIPRECT",
    "EMR_INTERSECTCLIPRECT",  // 30
    "EMR_SCALEVIEWPORTEXTEX",
    "EMR_SCALEWINDOWEXTEX",
    "EMR_SAVEDC",
    "EMR_RESTOREDC",
    "EMR_SETWORLDTRANSFORM",
    "EMR_MODIFYWORLDTRANSFORM",
    "EMR_SELECTOBJECT",
    "EMR_CREATEPEN",
    "EMR_CREATEBRUSHINDIRECT",
    "EMR_DELETEOBJECT",  // 40
    "EMR_ANGLEARC",
    "EMR_ELLIPSE",
    "EMR_RECTANGLE",
    "EMR_ROUNDRECT",
    "EMR_ARC",
    "EMR_CHORD",
    "EMR_PIE",
    "EMR_SELECTPALETTE",
    "EMR_CREATEPALETTE",
    "EMR_SETPALETTEENTRIES",  // 50
    "EMR_RESIZEPALETTE",
    "EMR_REALIZEPALETTE",
    "EMR_EXTFLOODFILL",
    "EMR_LINETO",
    "EMR_ARCTO",
    "EMR_POLYDRAW",
    "EMR_SETARCDIRECTION",
    "EMR_SETMITERLIMIT",
    "EMR_BEGINPATH",
    "EMR_ENDPATH",  // 60
    "EMR_CLOSEFIGURE",
    "EMR_FILLPATH",
    "EMR_STROKEANDFILLPATH",
    "EMR_STROKEPATH",
    "EMR_FLATTENPATH",
    "EMR_WIDENPATH",
    "EMR_SELECTCLIPPATH",
    "EMR_ABORTPATH",
    "",
    "EMR_COMMENT",  // 70
    "EMR_FILLRGN",
    "EMR_FRAMERGN",
    "EMR_INVERTRGN",
    "EMR_PAINTRGN",
    "EMR_EXTSELECTCLIPRGN",
    "EMR_BITBLT",
    "EMR_STRETCHBLT",
    "EMR_MASKBLT",
    "EMR_PLGBLT",
    "EMR_SETDIBITSTODEVICE",  // 80
    "EMR_STRETCHDIBITS",
    "EMR_EXTCREATEFONTINDIRECTW",
    "EMR_EXTTEXTOUTA",
    "EMR_EXTTEXTOUTW",
    "EMR_POLYBEZIER16",
    "EMR_POLYGON16",
    "EMR_POLYLINE16",
    "EMR_POLYBEZIERTO16",
    "EMR_POLYLINETO16",
    "EMR_POLYPOLYLINE16",  // 90
    "EMR_POLYPOLYGON16",
    "EMR_POLYDRAW16",
    "EMR_CREATEMONOBRUSH",
    "EMR_CREATEDIBPATTERNBRUSHPT",
    "EMR_EXTCREATEPEN",
    "EMR_POLYTEXTOUTA",
    "EMR_POLYTEXTOUTW",
    "EMR_SETICMMODE",
    "EMR_CREATECOLORSPACE",
    "EMR_SETCOLORSPACE",  // 100
    "EMR_DELETECOLORSPACE",
    "EMR_GLSRECORD",
    "EMR_GLSBOUNDEDRECORD",
    "EMR_PIXELFORMAT",
    "EMR_DRAWESCAPE",
    "EMR_EXTESCAPE",
    "",
    "EMR_SMALLTEXTOUT",
    "EMR_FORCEUFIMAPPING",
    "EMR_NAMEDESCAPE",  // 110
    "EMR_COLORCORRECTPALETTE",
    "EMR_SETICMPROFILEA",
    "EMR_SETICMPROFILEW",
    "EMR_ALPHABLEND",
    "EMR_SETLAYOUT",
    "EMR_TRANSPARENTBLT",
    "",
    "EMR_GRADIENTFILL",
    "EMR_SETLINKEDUFIS",
    "EMR_SETTEXTJUSTIFICATION",  // 120
    "EMR_COLORMATCHTOPROFILEW",
    "EMR_CREATECOLORSPACEW",
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

}  // namespace

std::string RecordTypeName(uint32_t type) {
  if (type < kTypeNames.size() && *kTypeNames[type] != '\0') return kTypeNames[type];
  return "type " + std::to_string(type);
}

bool IgnoredByDesign(uint32_t type) {
  switch (type) {
    case 14:   // EMR_EOF
    case 16:   // EMR_SETMAPPERFLAGS
    case 70:   // EMR_COMMENT
    case 98:   // EMR_SETICMMODE
    case 99:   // EMR_CREATECOLORSPACE
    case 100:  // EMR_SETCOLORSPACE
    case 101:  // EMR_DELETECOLORSPACE
    case 104:  // EMR_PIXELFORMAT
    case 106:  // EMR_EXTESCAPE
    case 109:  // EMR_FORCEUFIMAPPING
    case 110:  // EMR_NAMEDESCAPE
    case 111:  // EMR_COLORCORRECTPALETTE
    case 112:  // EMR_SETICMPROFILEA
    case 113:  // EMR_SETICMPROFILEW
    case 119:  // EMR_SETLINKEDUFIS
    case 121:  // EMR_COLORMATCHTOPROFILEW
    case 122:  // EMR_CREATECOLORSPACEW
      return true;
    default:
      return false;
  }
}

const char* OutcomeText(RecordOutcome::Kind kind) {
  switch (kind) {
    case RecordOutcome::Kind::kPlayed:
      return "played";
    case RecordOutcome::Kind::kIgnored:
      return "ignored";
    case RecordOutcome::Kind::kUnsupported:
      return "unsupported";
    case RecordOutcome::Kind::kMalformed:
      return "malformed";
    case RecordOutcome::Kind::kOverBudget:
      return "over budget";
    case RecordOutcome::Kind::kOutsideClip:
      return "outside the clip";
  }
  return "?";
}

TraceMode ParseTraceMode(std::string_view value) {
  if (value.empty()) return TraceMode::kOff;
  for (std::string_view off : {"0", "off", "no", "false"})
    if (EqualsIgnoringCase(value, off)) return TraceMode::kOff;
  if (EqualsIgnoringCase(value, "verbose")) return TraceMode::kDropped;
  return TraceMode::kFull;
}

TraceMode TraceModeFromEnvironment() {
  const char* value = std::getenv(kTraceVariable);
  return value == nullptr ? TraceMode::kOff : ParseTraceMode(value);
}

}  // namespace emf2pdf
