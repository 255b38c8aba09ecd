#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// Body of a PDF literal string: only LF, CR, "(", ")" and "\" are escaped.
std::string EscapeString(std::string_view bytes);

std::string ByteToHex(uint8_t byte);
std::string WordToHex(uint16_t unit);
void AppendByteHex(std::string& out, uint8_t byte);
void AppendWordHex(std::string& out, uint16_t unit);

// "FEFF" and four hex digits per UTF-16 unit of `bytes` read in the code page
// of `charset`; empty when nothing converts.
std::string ToUnicodeHex(std::string_view bytes, int charset);

// Same text form for UTF-16 that is already at hand.
std::string UnicodeToHex(std::u16string_view text);

// Windows code page of a font character set (1 = the system default).
int CharsetToCodePage(int charset);

// ASCII letters upper-cased, for comparing font and file names.
std::string UpperCase(std::string text);

bool IsWinAnsiChar(char16_t unit);
uint8_t UnicodeToWinAnsi(char16_t unit);
char16_t WinAnsiToUnicode(uint8_t byte);

}  // namespace pdf
