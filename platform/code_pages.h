#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Windows code-page conversions through iconv. Code pages are the Windows
// numbers (1250-1258, 874, 932, 936, 949, 950, 1361 Johab, 10000 Macintosh).
// Bytes that do not convert are skipped, as the Windows calls do by default.
std::u16string MultiByteToWide(int codePage, std::string_view bytes);

// Characters without a byte in the code page become '?'.
std::string WideToMultiByte(int codePage, std::u16string_view text);

// Strict conversion: nullopt when any character has no byte in the code page.
std::optional<std::string> WideToMultiByteExact(int codePage, std::u16string_view text);

// The system's default character set (the Windows DEFAULT_CHARSET resolution).
// ANSI_CHARSET (0) unless TALLOWCRAFT_DEFAULT_CHARSET names another number.
int SystemDefaultCharset();

// UTF-8 <-> UTF-16 helpers for the parts of the program that talk to Linux.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace platform
