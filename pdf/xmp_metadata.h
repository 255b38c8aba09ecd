#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace pdf {

// The document information as an XMP packet carries it. Texts are UTF-8;
// dates are already in XMP form (XmpDate).
struct XmpProperties {
  std::string title, author, subject, keywords, creator, producer;
  std::string createDate, modifyDate;
  int pdfaPart = 0;  // 0: not a PDF/A file; else the part, conformance level B
};

// The packet of a metadata stream: Dublin Core, XMP basic, PDF and, for a
// PDF/A file, its identification. UTF-8, no byte order mark outside the
// packet header.
std::string MakeXmpPacket(const XmpProperties& properties);

// Text as XML character data: markup characters escaped, line ends kept
// as written (a bare CR would become LF when read), control characters
// that XML cannot hold dropped.
std::string XmlEscape(std::string_view utf8);

// A local time with its offset from UTC: "D:yyyymmddhhnnss+hh'mm'" for the
// information dictionary, "yyyy-mm-ddThh:nn:ss+hh:mm" for XMP, both naming
// the same instant.
std::string PdfDateWithZone(std::chrono::system_clock::time_point when);
std::string XmpDate(std::chrono::system_clock::time_point when);

}  // namespace pdf
