#include "pdf/type1_program.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "pdf/type1_unicode.h"
#include "support/temp_folder.h"

namespace pdf {
namespace {

using testing_support::ReadFile;

const std::string kFolder = "/usr/share/fonts/type1/urw-base35/";

std::string Le32(size_t n) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(n >> (8 * i) & 0xFF));
  return bytes;
}

std::string Pfb(const TType1Font& font) {
  std::string file;
  const std::pair<char, const std::string*> segments[] = {
      {1, &font.cleartext}, {2, &font.encrypted}, {1, &font.trailer}};
  for (const auto& [type, data] : segments)
    file += std::string("\x80") + type + Le32(data->size()) + *data;
  return file + "\x80\x03";
}

std::string HexText(const TType1Font& font) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < font.encrypted.size(); ++i) {
    const auto byte = static_cast<uint8_t>(font.encrypted[i]);
    hex += {digits[byte >> 4], digits[byte & 15]};
    if (i % 32 == 31) hex += "\r\n";
  }
  return font.cleartext + hex + "\n" + font.trailer;
}

// The widths of the metrics file by code ("C 97 ; WX 631 ; N alpha ; ...").
std::map<int, int> AfmWidths(const std::string& afm) {
  std::map<int, int> widths;
  std::istringstream lines(afm);
  for (std::string line; std::getline(lines, line);) {
    int code = -1, width = 0;
    if (std::sscanf(line.c_str(), "C %d ; WX %d ;", &code, &width) == 2 && code >= 0)
      widths[code] = width;
  }
  return widths;
}

TEST(Type1Program, binaryHexAndPfbForms_giveTheSamePartsAndTheMetricsFilesWidths) {
  for (const std::string name : {"StandardSymbolsPS", "D050000L"}) {
    const std::string file = ReadFile(kFolder + name + ".t1");
    const std::string afm = ReadFile(kFolder + name + ".afm");
    ASSERT_FALSE(file.empty() || afm.empty()) << name;
    const TType1Font font = ReadType1Font(file, afm);
    EXPECT_EQ(font.fontName, name);
    EXPECT_EQ(font.Program(), file);
    EXPECT_TRUE(font.cleartext.ends_with("eexec\r")) << name;  // lines end with CR alone
    EXPECT_TRUE(font.trailer.starts_with("0000")) << name;

    const auto expected = AfmWidths(afm);
    ASSERT_GT(expected.size(), 180u) << name;
    for (const auto& [code, width] : expected) {
      EXPECT_TRUE(font.hasGlyph[code]) << name << " " << code;
      EXPECT_EQ(font.widths[code], width) << name << " " << code;
    }
    for (const std::string& other : {Pfb(font), HexText(font)}) {
      const TType1Font again = ReadType1Font(other, "");
      EXPECT_EQ(again.cleartext, font.cleartext) << name;
      EXPECT_EQ(again.encrypted, font.encrypted) << name;
      EXPECT_EQ(again.widths, font.widths) << name;
    }
  }
}

std::string Encrypt(const std::string& plain) {
  std::string cipher;
  uint16_t r = 55665;
  for (char c : plain) {
    const auto byte = static_cast<uint8_t>(static_cast<uint8_t>(c) ^ (r >> 8));
    cipher.push_back(static_cast<char>(byte));
    r = static_cast<uint16_t>((byte + r) * 52845u + 22719u);
  }
  return cipher;
}

// A program of one glyph, "a" at code 97, whose private part is `charStrings`.
std::string Crafted(const std::string& charStrings) {
  return "%!FontType1-1.0: Crafted\n/FontName /Crafted def\n/Encoding 256 array\n"
         "dup 97 /a put\nreadonly def\ncurrentfile eexec\n" +
         Encrypt("abcd/lenIV -1 def\n/CharStrings 1 dict dup begin\n" + charStrings + "\nend\n") +
         "\n" + std::string(512, '0') + "\ncleartomark\n";
}

TEST(Type1Program, damagedProgramsAreRefused_missingFamiliesFoundNone) {
  // Unencrypted charstrings (lenIV -1): "0 500 hsbw"; a stray delimiter
  // before them is passed over.
  EXPECT_EQ(ReadType1Font(Crafted("( /a 4 RD \x8B\xF8\x88\x0D ND"), "").widths[97], 500);
  for (const std::string& charStrings :
       {"/a 4 RD \x8B\xF8\x88", "/a 1e300 RD \x8B", "/a 4000 RD \x8B"})
    EXPECT_THROW(ReadType1Font(Crafted(charStrings), ""), std::runtime_error) << charStrings;

  const std::string file = ReadFile(kFolder + "StandardSymbolsPS.t1");
  ASSERT_FALSE(file.empty());
  std::string scrambled = file;
  for (size_t i = file.find("eexec") + 20; i < file.size() / 2; i += 7) scrambled[i] ^= 0x5A;
  std::string badPfb = Pfb(ReadType1Font(file, ""));
  badPfb[2] = '\x7F';  // the first segment claims more than the file holds
  for (const std::string& bad :
       {std::string(), file.substr(0, file.size() / 2), scrambled, badPfb,
        std::string("%!PS-AdobeFont-1.0: X\ncurrentfile eexec\r\n0000 cleartomark")})
    EXPECT_THROW(ReadType1Font(bad, ""), std::runtime_error);

  EXPECT_FALSE(LoadInstalledType1Font("No Such Family Anywhere"));
  const auto symbol = LoadInstalledType1Font("Standard Symbols PS");
  ASSERT_TRUE(symbol);
  EXPECT_EQ(symbol->fontName, "StandardSymbolsPS");
  EXPECT_EQ(symbol->capHeight, 673);  // from the metrics file beside it
}

TEST(Type1Program, codesMeanWhatThePublishedTablesSay) {
  const std::pair<uint8_t, uint16_t> symbol[] = {{0x61, 0x03B1}, {0xB7, 0x2022}, {0x57, 0x03A9},
                                                 {0xA0, 0x20AC}, {0xE5, 0x2211}, {0x7F, 0}};
  for (const auto& [code, unicode] : symbol) EXPECT_EQ(SymbolCodeToUnicode(code), unicode) << +code;
  const std::pair<uint8_t, uint16_t> dingbats[] = {
      {0x21, 0x2701}, {0x48, 0x2605}, {0x6C, 0x25CF}, {0x7E, 0x275E}, {0x80, 0x2768},
      {0xA1, 0x2761}, {0xAB, 0x2660}, {0xAC, 0x2460}, {0xB6, 0x2776}, {0xD5, 0x2192},
      {0xFE, 0x27BE}, {0xF0, 0},      {0x90, 0}};
  for (const auto& [code, unicode] : dingbats)
    EXPECT_EQ(DingbatsCodeToUnicode(code), unicode) << +code;
}

}  // namespace
}  // namespace pdf
