#include "pdf/xmp_metadata.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace pdf {

namespace {

struct LocalParts {
  std::tm time{};
  char sign = '+';
  int offsetHours = 0;
  int offsetMinutes = 0;
};

LocalParts LocalWithOffset(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  LocalParts parts;
  localtime_r(&seconds, &parts.time);
  const long offset = parts.time.tm_gmtoff;
  parts.sign = offset < 0 ? '-' : '+';
  const long magnitude = std::labs(offset) / 60;
  parts.offsetHours = static_cast<int>(magnitude / 60);
  parts.offsetMinutes = static_cast<int>(magnitude % 60);
  return parts;
}

void AppendAlternative(std::string& out, const char* element, const std::string& text) {
  out += std::string("<") + element + "><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
         XmlEscape(text) + "</rdf:li></rdf:Alt></" + element + ">\n";
}

void AppendSimple(std::string& out, const char* element, const std::string& text) {
  out += std::string("<") + element + ">" + XmlEscape(text) + "</" + element + ">\n";
}

}  // namespace

std::string XmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
    }
  }
  return out;
}

std::string PdfDateWithZone(std::chrono::system_clock::time_point when) {
  const LocalParts p = LocalWithOffset(when);
  char text[48];
  std::snprintf(text, sizeof text, "D:%04d%02d%02d%02d%02d%02d%c%02d'%02d'", p.time.tm_year + 1900,
                p.time.tm_mon + 1, p.time.tm_mday, p.time.tm_hour, p.time.tm_min, p.time.tm_sec,
                p.sign, p.offsetHours, p.offsetMinutes);
  return text;
}

std::string XmpDate(std::chrono::system_clock::time_point when) {
  const LocalParts p = LocalWithOffset(when);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                p.time.tm_year + 1900, p.time.tm_mon + 1, p.time.tm_mday, p.time.tm_hour,
                p.time.tm_min, p.time.tm_sec, p.sign, p.offsetHours, p.offsetMinutes);
  return text;
}

std::string MakeXmpPacket(const XmpProperties& properties) {
  // The id is the fixed one every XMP packet carries; the byte order mark
  // in "begin" tells readers the packet is UTF-8.
  std::string out =
      "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
      "<dc:format>application/pdf</dc:format>\n";
  AppendAlternative(out, "dc:title", properties.title);
  out += "<dc:creator><rdf:Seq><rdf:li>" + XmlEscape(properties.author) +
         "</rdf:li></rdf:Seq></dc:creator>\n";
  AppendAlternative(out, "dc:description", properties.subject);
  out +=
      "</rdf:Description>\n"
      "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n";
  AppendSimple(out, "xmp:CreatorTool", properties.creator);
  AppendSimple(out, "xmp:CreateDate", properties.createDate);
  AppendSimple(out, "xmp:ModifyDate", properties.modifyDate);
  out +=
      "</rdf:Description>\n"
      "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n";
  AppendSimple(out, "pdf:Producer", properties.producer);
  AppendSimple(out, "pdf:Keywords", properties.keywords);
  out += "</rdf:Description>\n";
  if (properties.pdfaPart > 0) {
    out +=
        "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
        "<pdfaid:part>" +
        std::to_string(properties.pdfaPart) +
        "</pdfaid:part>\n"
        "<pdfaid:conformance>B</pdfaid:conformance>\n"
        "</rdf:Description>\n";
  }
  out +=
      "</rdf:RDF>\n"
      "</x:xmpmeta>\n"
      "<?xpacket end=\"r\"?>";
  return out;
}

}  // namespace pdf
