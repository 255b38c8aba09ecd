#!/usr/bin/env python3
"""Writes pdf/standard_font_metrics.cpp: the advance widths of the 14 standard
Type 1 fonts by byte code, read from the URW base-35 AFM files (Debian package
fonts-urw-base35), which carry the same metrics as the Adobe originals.

Rows 0-11 are laid out by WinAnsi encoding, rows 12-13 (Symbol, ZapfDingbats)
by the fonts' built-in encodings. Run once; the output is committed.

    tools/make_standard_font_metrics.py > pdf/standard_font_metrics.cpp
"""
import sys

AFM_DIR = "/usr/share/fonts/type1/urw-base35/"
FONTS = [
    "NimbusSans-Regular", "NimbusSans-Bold", "NimbusSans-Italic", "NimbusSans-BoldItalic",
    "NimbusRoman-Regular", "NimbusRoman-Bold", "NimbusRoman-Italic", "NimbusRoman-BoldItalic",
    "NimbusMonoPS-Regular", "NimbusMonoPS-Bold", "NimbusMonoPS-Italic", "NimbusMonoPS-BoldItalic",
    "StandardSymbolsPS", "D050000L",
]
# Glyph names of WinAnsiEncoding, codes 128-255 (None = unassigned).
WIN_ANSI_HIGH = [
    "Euro", None, "quotesinglbase", "florin", "quotedblbase", "ellipsis", "dagger", "daggerdbl",
    "circumflex", "perthousand", "Scaron", "guilsinglleft", "OE", None, "Zcaron", None,
    None, "quoteleft", "quoteright", "quotedblleft", "quotedblright", "bullet", "endash", "emdash",
    "tilde", "trademark", "scaron", "guilsinglright", "oe", None, "zcaron", "Ydieresis",
    "space", "exclamdown", "cent", "sterling", "currency", "yen", "brokenbar", "section",
    "dieresis", "copyright", "ordfeminine", "guillemotleft", "logicalnot", "hyphen", "registered", "macron",
    "degree", "plusminus", "twosuperior", "threesuperior", "acute", "mu", "paragraph", "periodcentered",
    "cedilla", "onesuperior", "ordmasculine", "guillemotright", "onequarter", "onehalf", "threequarters", "questiondown",
    "Agrave", "Aacute", "Acircumflex", "Atilde", "Adieresis", "Aring", "AE", "Ccedilla",
    "Egrave", "Eacute", "Ecircumflex", "Edieresis", "Igrave", "Iacute", "Icircumflex", "Idieresis",
    "Eth", "Ntilde", "Ograve", "Oacute", "Ocircumflex", "Otilde", "Odieresis", "multiply",
    "Oslash", "Ugrave", "Uacute", "Ucircumflex", "Udieresis", "Yacute", "Thorn", "germandbls",
    "agrave", "aacute", "acircumflex", "atilde", "adieresis", "aring", "ae", "ccedilla",
    "egrave", "eacute", "ecircumflex", "edieresis", "igrave", "iacute", "icircumflex", "idieresis",
    "eth", "ntilde", "ograve", "oacute", "ocircumflex", "otilde", "odieresis", "divide",
    "oslash", "ugrave", "uacute", "ucircumflex", "udieresis", "yacute", "thorn", "ydieresis",
]
ASCII_NAMES = (
    "space exclam quotedbl numbersign dollar percent ampersand quotesingle parenleft parenright "
    "asterisk plus comma hyphen period slash zero one two three four five six seven eight nine "
    "colon semicolon less equal greater question at A B C D E F G H I J K L M N O P Q R S T U V "
    "W X Y Z bracketleft backslash bracketright asciicircum underscore grave a b c d e f g h i j "
    "k l m n o p q r s t u v w x y z braceleft bar braceright asciitilde").split()


def read_afm(name):
    by_code, by_name = {}, {}
    with open(AFM_DIR + name + ".afm", encoding="latin-1") as afm:
        for line in afm:
            if not line.startswith("C "):
                continue
            fields = dict(part.strip().split(" ", 1) for part in line.split(";") if part.strip())
            code, width, glyph = int(fields["C"]), int(fields["WX"]), fields.get("N")
            if code >= 0:
                by_code[code] = width
            if glyph:
                by_name[glyph] = width
    return by_code, by_name


def win_ansi_row(by_name, family):
    names = [None] * 32 + ASCII_NAMES + [None] + WIN_ANSI_HIGH
    row = [by_name.get(n, 0) if n else 0 for n in names]
    bullet = by_name["bullet"]
    for code in (127, 129, 141, 143, 144, 157):
        row[code] = bullet
    if family == "helvetica":
        row[128] = 558
    elif family == "times":
        row[128] = 500
    return row


def build_rows():
    rows = []
    for index, font in enumerate(FONTS):
        by_code, by_name = read_afm(font)
        family = ["helvetica", "times", "courier", "symbol", "dingbats"][min(index // 4, 3) if index < 12 else index - 9]
        if index < 12:
            row = win_ansi_row(by_name, family)
        else:
            row = [by_code.get(code, 0) for code in range(256)]
        row[0] = {"helvetica": 278, "courier": 600}.get(family, 250)
        for code in range(1, 32):
            row[code] = 0
        rows.append(row)
    return rows


def check(rows):
    for index, row in enumerate(rows):
        assert row[0] == [278, 250, 600, 250, 250][min(index // 4, 3) if index < 12 else 3 + (index - 12) * 1]
        assert all(w == 0 for w in row[1:32])
        if index < 12:
            bullet = 600 if 8 <= index < 12 else 350
            assert all(row[c] == bullet for c in (127, 129, 141, 143, 144, 157)), index
            if index < 4:
                assert row[128] == 558
            elif index < 8:
                assert row[128] == 500
        assert all(w > 0 for w in row[32:127]) or index >= 12


def main():
    rows = build_rows()
    check(rows)
    out = sys.stdout
    out.write("// Generated by tools/make_standard_font_metrics.py from the URW base-35 AFM\n")
    out.write("// files; do not edit by hand.\n\n")
    out.write('#include "pdf/standard_font_metrics.h"\n\nnamespace pdf {\n\n')
    out.write("// clang-format off\n")
    out.write("const int16_t StandardFontWidths[14][256] = {\n")
    for index, row in enumerate(rows):
        out.write("    // %d %s\n    {\n" % (index, FONTS[index]))
        for start in range(0, 256, 16):
            out.write("        " + ", ".join("%d" % w for w in row[start:start + 16]) + ",\n")
        out.write("    },\n")
    out.write("};\n// clang-format on\n\n}  // namespace pdf\n")


if __name__ == "__main__":
    main()
