#pragma once

#include <optional>
#include <string>

namespace app {

// Text made safe for HTML text and quoted attribute values: & < > " ' become
// character references.
std::string EscapeHtml(const std::string& text);

// Text as one URL path segment: every byte but the unreserved characters
// (letters, digits, - . _ ~) as %XX, so UTF-8 names go byte by byte.
std::string PercentEncodeSegment(const std::string& text);

// The segment's text, or nothing for a broken escape, a zero byte or a "/",
// none of which a file name in one folder can hold.
std::optional<std::string> PercentDecodeSegment(const std::string& segment);

}  // namespace app
