#pragma once

#include <cstdint>

// Record types and constants of the enhanced metafile format, named as the
// format publishes them.
namespace emf2pdf::emr {

inline constexpr uint32_t EMR_HEADER = 1;
inline constexpr uint32_t EMR_POLYBEZIER = 2;
inline constexpr uint32_t EMR_POLYGON = 3;
inline constexpr uint32_t EMR_POLYLINE = 4;
inline constexpr uint32_t EMR_POLYBEZIERTO = 5;
inline constexpr uint32_t EMR_POLYLINETO = 6;
inline constexpr uint32_t EMR_POLYPOLYLINE = 7;
inline constexpr uint32_t EMR_POLYPOLYGON = 8;
inline constexpr uint32_t EMR_SETWINDOWEXTEX = 9;
inline constexpr uint32_t EMR_SETWINDOWORGEX = 10;
inline constexpr uint32_t EMR_SETVIEWPORTEXTEX = 11;
inline constexpr uint32_t EMR_SETVIEWPORTORGEX = 12;
inline constexpr uint32_t EMR_SETBRUSHORGEX = 13;
inline constexpr uint32_t EMR_EOF = 14;
inline constexpr uint32_t EMR_SETPIXELV = 15;
inline constexpr uint32_t EMR_SETMAPPERFLAGS = 16;
inline constexpr uint32_t EMR_SETMAPMODE = 17;
inline constexpr uint32_t EMR_SETBKMODE = 18;
inline constexpr uint32_t EMR_SETPOLYFILLMODE = 19;
inline constexpr uint32_t EMR_SETROP2 = 20;
inline constexpr uint32_t EMR_SETSTRETCHBLTMODE = 21;
inline constexpr uint32_t EMR_SETTEXTALIGN = 22;
inline constexpr uint32_t EMR_SETCOLORADJUSTMENT = 23;
inline constexpr uint32_t EMR_SETTEXTCOLOR = 24;
inline constexpr uint32_t EMR_SETBKCOLOR = 25;
inline constexpr uint32_t EMR_OFFSETCLIPRGN = 26;
inline constexpr uint32_t EMR_MOVETOEX = 27;
inline constexpr uint32_t EMR_SETMETARGN = 28;
inline constexpr uint32_t EMR_EXCLUDECLIPRECT = 29;
inline constexpr uint32_t EMR_INTERSECTCLIPRECT = 30;
inline constexpr uint32_t EMR_SCALEVIEWPORTEXTEX = 31;
inline constexpr uint32_t EMR_SCALEWINDOWEXTEX = 32;
inline constexpr uint32_t EMR_SAVEDC = 33;
inline constexpr uint32_t EMR_RESTOREDC = 34;
inline constexpr uint32_t EMR_SETWORLDTRANSFORM = 35;
inline constexpr uint32_t EMR_MODIFYWORLDTRANSFORM = 36;
inline constexpr uint32_t EMR_SELECTOBJECT = 37;
inline constexpr uint32_t EMR_CREATEPEN = 38;
inline constexpr uint32_t EMR_CREATEBRUSHINDIRECT = 39;
inline constexpr uint32_t EMR_DELETEOBJECT = 40;
inline constexpr uint32_t EMR_ANGLEARC = 41;
inline constexpr uint32_t EMR_ELLIPSE = 42;
inline constexpr uint32_t EMR_RECTANGLE = 43;
inline constexpr uint32_t EMR_ROUNDRECT = 44;
inline constexpr uint32_t EMR_ARC = 45;
inline constexpr uint32_t EMR_CHORD = 46;
inline constexpr uint32_t EMR_PIE = 47;
inline constexpr uint32_t EMR_SELECTPALETTE = 48;
inline constexpr uint32_t EMR_CREATEPALETTE = 49;
inline constexpr uint32_t EMR_SETPALETTEENTRIES = 50;
inline constexpr uint32_t EMR_RESIZEPALETTE = 51;
inline constexpr uint32_t EMR_REALIZEPALETTE = 52;
inline constexpr uint32_t EMR_EXTFLOODFILL = 53;
inline constexpr uint32_t EMR_LINETO = 54;
inline constexpr uint32_t EMR_ARCTO = 55;
inline constexpr uint32_t EMR_POLYDRAW = 56;
inline constexpr uint32_t EMR_SETARCDIRECTION = 57;
inline constexpr uint32_t EMR_SETMITERLIMIT = 58;
inline constexpr uint32_t EMR_BEGINPATH = 59;
inline constexpr uint32_t EMR_ENDPATH = 60;
inline constexpr uint32_t EMR_CLOSEFIGURE = 61;
inline constexpr uint32_t EMR_FILLPATH = 62;
inline constexpr uint32_t EMR_STROKEANDFILLPATH = 63;
inline constexpr uint32_t EMR_STROKEPATH = 64;
inline constexpr uint32_t EMR_FLATTENPATH = 65;
inline constexpr uint32_t EMR_WIDENPATH = 66;
inline constexpr uint32_t EMR_SELECTCLIPPATH = 67;
inline constexpr uint32_t EMR_ABORTPATH = 68;
inline constexpr uint32_t EMR_GDICOMMENT = 70;
inline constexpr uint32_t EMR_FILLRGN = 71;
inline constexpr uint32_t EMR_FRAMERGN = 72;
inline constexpr uint32_t EMR_INVERTRGN = 73;
inline constexpr uint32_t EMR_PAINTRGN = 74;
inline constexpr uint32_t EMR_EXTSELECTCLIPRGN = 75;
inline constexpr uint32_t EMR_BITBLT = 76;
inline constexpr uint32_t EMR_STRETCHBLT = 77;
inline constexpr uint32_t EMR_MASKBLT = 78;
inline constexpr uint32_t EMR_PLGBLT = 79;
inline constexpr uint32_t EMR_SETDIBITSTODEVICE = 80;
inline constexpr uint32_t EMR_STRETCHDIBITS = 81;
inline constexpr uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
inline constexpr uint32_t EMR_EXTTEXTOUTA = 83;
inline constexpr uint32_t EMR_EXTTEXTOUTW = 84;
inline constexpr uint32_t EMR_POLYBEZIER16 = 85;
inline constexpr uint32_t EMR_POLYGON16 = 86;
inline constexpr uint32_t EMR_POLYLINE16 = 87;
inline constexpr uint32_t EMR_POLYBEZIERTO16 = 88;
inline constexpr uint32_t EMR_POLYLINETO16 = 89;
inline constexpr uint32_t EMR_POLYPOLYLINE16 = 90;
inline constexpr uint32_t EMR_POLYPOLYGON16 = 91;
inline constexpr uint32_t EMR_POLYDRAW16 = 92;
inline constexpr uint32_t EMR_CREATEMONOBRUSH = 93;
inline constexpr uint32_t EMR_CREATEDIBPATTERNBRUSHPT = 94;
inline constexpr uint32_t EMR_EXTCREATEPEN = 95;
inline constexpr uint32_t EMR_POLYTEXTOUTA = 96;
inline constexpr uint32_t EMR_POLYTEXTOUTW = 97;
inline constexpr uint32_t EMR_SMALLTEXTOUT = 108;
inline constexpr uint32_t EMR_ALPHABLEND = 114;
inline constexpr uint32_t EMR_TRANSPARENTBLT = 116;
inline constexpr uint32_t EMR_GRADIENTFILL = 118;
inline constexpr uint32_t EMR_SETTEXTJUSTIFICATION = 120;

// Header.
inline constexpr uint32_t ENHMETA_SIGNATURE = 0x464D4520;  // " EMF"

// Map modes.
inline constexpr uint32_t MM_TEXT = 1;
inline constexpr uint32_t MM_LOMETRIC = 2;
inline constexpr uint32_t MM_HIMETRIC = 3;
inline constexpr uint32_t MM_LOENGLISH = 4;
inline constexpr uint32_t MM_HIENGLISH = 5;
inline constexpr uint32_t MM_TWIPS = 6;
inline constexpr uint32_t MM_ISOTROPIC = 7;
inline constexpr uint32_t MM_ANISOTROPIC = 8;

// Background modes, fill modes, arc directions.
inline constexpr uint32_t TRANSPARENT = 1;

// Binary raster operations (EMR_SETROP2)
inline constexpr uint32_t R2_BLACK = 1;
inline constexpr uint32_t R2_NOTCOPYPEN = 4;
inline constexpr uint32_t R2_NOT = 6;
inline constexpr uint32_t R2_XORPEN = 7;
inline constexpr uint32_t R2_NOP = 11;
inline constexpr uint32_t R2_COPYPEN = 13;
inline constexpr uint32_t R2_MASKPEN = 9;
inline constexpr uint32_t R2_MERGEPEN = 15;
inline constexpr uint32_t R2_WHITE = 16;
inline constexpr uint32_t RGN_AND = 1;
inline constexpr uint32_t RGN_COPY = 5;
inline constexpr uint32_t ALTERNATE = 1;
inline constexpr uint32_t AD_COUNTERCLOCKWISE = 1;
inline constexpr uint32_t AD_CLOCKWISE = 2;

// World transform modes.
inline constexpr uint32_t MWT_IDENTITY = 1;
inline constexpr uint32_t MWT_LEFTMULTIPLY = 2;
inline constexpr uint32_t MWT_RIGHTMULTIPLY = 3;
inline constexpr uint32_t MWT_SET = 4;

// Pen styles.
inline constexpr uint32_t PS_SOLID = 0;
inline constexpr uint32_t PS_DASH = 1;
inline constexpr uint32_t PS_DOT = 2;
inline constexpr uint32_t PS_DASHDOT = 3;
inline constexpr uint32_t PS_DASHDOTDOT = 4;
inline constexpr uint32_t PS_NULL = 5;
inline constexpr uint32_t PS_INSIDEFRAME = 6;
inline constexpr uint32_t PS_USERSTYLE = 7;
inline constexpr uint32_t PS_ALTERNATE = 8;
inline constexpr uint32_t PS_ENDCAP_SQUARE = 0x100;
inline constexpr uint32_t PS_ENDCAP_FLAT = 0x200;
inline constexpr uint32_t PS_JOIN_BEVEL = 0x1000;
inline constexpr uint32_t PS_JOIN_MITER = 0x2000;

// Brush styles.
inline constexpr uint32_t BS_SOLID = 0;
inline constexpr uint32_t BS_NULL = 1;
inline constexpr uint32_t BS_HATCHED = 2;
inline constexpr int HS_HORIZONTAL = 0;
inline constexpr int HS_VERTICAL = 1;
inline constexpr int HS_FDIAGONAL = 2;
inline constexpr int HS_BDIAGONAL = 3;
inline constexpr int HS_CROSS = 4;

// Stock objects (selected with bit 31 of the index set).
inline constexpr uint32_t STOCK_OBJECT_FLAG = 0x80000000u;
inline constexpr uint32_t WHITE_BRUSH = 0;
inline constexpr uint32_t LTGRAY_BRUSH = 1;
inline constexpr uint32_t GRAY_BRUSH = 2;
inline constexpr uint32_t DKGRAY_BRUSH = 3;
inline constexpr uint32_t BLACK_BRUSH = 4;
inline constexpr uint32_t NULL_BRUSH = 5;
inline constexpr uint32_t WHITE_PEN = 6;
inline constexpr uint32_t BLACK_PEN = 7;
inline constexpr uint32_t NULL_PEN = 8;
inline constexpr uint32_t OEM_FIXED_FONT = 10;
inline constexpr uint32_t ANSI_FIXED_FONT = 11;
inline constexpr uint32_t ANSI_VAR_FONT = 12;
inline constexpr uint32_t SYSTEM_FONT = 13;

// Text alignment.
inline constexpr uint32_t TA_UPDATECP = 1;

// PolyDraw point types.
inline constexpr uint8_t PT_CLOSEFIGURE = 1;
inline constexpr uint8_t PT_LINETO = 2;
inline constexpr uint8_t PT_BEZIERTO = 4;
inline constexpr uint8_t PT_MOVETO = 6;

// EMR_EXTTEXTOUT options.
inline constexpr uint32_t ETO_OPAQUE = 0x0002;
inline constexpr uint32_t ETO_CLIPPED = 0x0004;
inline constexpr uint32_t ETO_GLYPH_INDEX = 0x0010;
inline constexpr uint32_t ETO_NO_RECT = 0x0100;
inline constexpr uint32_t ETO_SMALL_CHARS = 0x0200;
inline constexpr uint32_t ETO_PDY = 0x2000;

}  // namespace emf2pdf::emr
