#include "pdf/pdf_strings.h"

#include <gtest/gtest.h>

#include "pdf/object_encryption.h"

namespace pdf {
namespace {

TEST(EscapeString, escapesOnlyTheFiveSpecialBytes) {
  EXPECT_EQ(EscapeString("a(b"), "a\\(b");
  EXPECT_EQ(EscapeString("a\tb"), "a\tb");
  EXPECT_EQ(EscapeString("\n\r()\\"), "\\n\\r\\(\\)\\\\");
  EXPECT_EQ(EscapeString(std::string("\0\xFF", 2)), std::string("\0\xFF", 2));
}

TEST(Hex, usesUpperCaseHighByteFirst) {
  EXPECT_EQ(ByteToHex(0xAB), "AB");
  EXPECT_EQ(WordToHex(0x20AC), "20AC");
}

TEST(ToUnicodeHex, convertsThroughTheCharsetCodePage) {
  EXPECT_EQ(ToUnicodeHex("A", 0), "FEFF0041");
  EXPECT_EQ(ToUnicodeHex("", 0), "");
  EXPECT_EQ(ToUnicodeHex("\x80", 0), "FEFF20AC");        // euro in 1252
  EXPECT_EQ(ToUnicodeHex("\xC0", 204), "FEFF0410");      // Cyrillic A in 1251
  EXPECT_EQ(ToUnicodeHex("\x82\xA0", 128), "FEFF3042");  // hiragana a in 932
}

TEST(CharsetToCodePage, mapsTheWindowsCharsets) {
  EXPECT_EQ(CharsetToCodePage(0), 1252);
  EXPECT_EQ(CharsetToCodePage(1), 1252);  // default charset is ANSI here
  EXPECT_EQ(CharsetToCodePage(77), 10000);
  EXPECT_EQ(CharsetToCodePage(130), 1361);
  EXPECT_EQ(CharsetToCodePage(222), 874);
  EXPECT_EQ(CharsetToCodePage(238), 1250);
}

TEST(WinAnsi, followsCodePage1252) {
  EXPECT_EQ(UnicodeToWinAnsi(8364), 128);
  EXPECT_EQ(UnicodeToWinAnsi(255), 0);
  EXPECT_FALSE(IsWinAnsiChar(255));
  EXPECT_TRUE(IsWinAnsiChar(141));
  EXPECT_TRUE(IsWinAnsiChar(8482));
  EXPECT_FALSE(IsWinAnsiChar(0x0410));
  for (int byte = 0; byte < 255; ++byte) {
    const char16_t unit = WinAnsiToUnicode(static_cast<uint8_t>(byte));
    if (IsWinAnsiChar(unit)) {
      EXPECT_EQ(UnicodeToWinAnsi(unit), byte) << byte;
    }
  }
}

TEST(ObjectEncryption, isIdentityWhenOffAndLengthPreservingWhenOn) {
  FileKey off;
  EXPECT_EQ(EncryptString(off, "abc", 7), "abc");
  FileKey on{true, {1, 2, 3, 4, 5}};
  EXPECT_EQ(EncryptString(on, "", 7), "");
  const std::string encrypted = EncryptString(on, "secret", 7);
  EXPECT_EQ(encrypted.size(), 6u);
  EXPECT_NE(encrypted, "secret");
  EXPECT_EQ(EncryptString(on, encrypted, 7), "secret");  // RC4 is its own inverse
  const std::string hex = EncryptHexString(on, "FEFF0041", 9);
  EXPECT_EQ(hex.size(), 8u);
  EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

}  // namespace
}  // namespace pdf
