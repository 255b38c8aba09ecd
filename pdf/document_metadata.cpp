// The metadata stream, the PDF/A output intent and the information strings
// that must read as the metadata's text.
#include <algorithm>

#include "pdf/deflate.h"
#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/output_intent.h"
#include "pdf/pdf_strings.h"
#include "pdf/xmp_metadata.h"
#include "platform/code_pages.h"

namespace pdf {

namespace {

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Utf8OfWinAnsi(const std::string& bytes) {
  return platform::Utf16ToUtf8(platform::MultiByteToWide(1252, bytes));
}

// Big-endian UTF-16 with its byte order mark, as a PDF text string.
std::string Utf16TextString(const std::string& winAnsi) {
  std::string out = "\xFE\xFF";
  for (const char16_t unit : platform::MultiByteToWide(1252, winAnsi)) {
    out += static_cast<char>(unit >> 8);
    out += static_cast<char>(unit & 0xFF);
  }
  return out;
}

}  // namespace

std::string TPDFDocument::InfoString(const std::string& value) const {
  // Readers take single bytes as PDFDocEncoding, which differs from
  // Windows-1252 above 127 (the euro sign, typographic quotes).
  if (Version() < v14 || IsAscii(value)) return value;
  return Utf16TextString(value);
}

void TPDFDocument::WriteMetadata() {
  if (Version() < v14) return;
  XmpProperties properties;
  properties.title = Utf8OfWinAnsi(docInfo_.Title);
  properties.author = Utf8OfWinAnsi(docInfo_.Author);
  properties.subject = Utf8OfWinAnsi(docInfo_.Subject);
  properties.keywords = Utf8OfWinAnsi(docInfo_.Keywords);
  properties.creator = Utf8OfWinAnsi(docInfo_.Creator);
  properties.producer = Utf8OfWinAnsi(docInfo_.Producer);
  // The file is made once: it was last changed when it was created.
  properties.createDate = properties.modifyDate = XmpDate(docInfo_.CreationDate);
  properties.pdfaPart = conformance_ == pcPDFA1b ? 1 : conformance_ == pcPDFA2b ? 2 : 0;
  // Left unfiltered so that tools which do not read PDF find it.
  std::string packet = MakeXmpPacket(properties);
  BeginObject(metadataNumber_);
  WriteLine("/Type /Metadata /Subtype /XML");
  WriteKeyInteger("/Length ", StreamLength(packet.size()));
  WriteStream(std::move(packet), metadataNumber_);
}

void TPDFDocument::WriteOutputProfile() {
  if (!IsPdfA()) return;
  BeginObject(outputProfileNumber_);
  WriteLine("/N 3 /Filter /FlateDecode");
  WriteStreamLater([] { return Deflate(SrgbIccProfile()); },
                   [](int64_t length) { return "/Length " + IntToStr(length) + "\r\n"; },
                   outputProfileNumber_, SrgbIccProfile().size());
}

void TPDFDocument::WriteCatalogMetadata() {
  if (metadataNumber_ > 0) WriteKeyReference("/Metadata ", metadataNumber_);
  if (outputProfileNumber_ > 0) {
    const std::string condition = std::string("(") + kSrgbConditionName + ")";
    WriteLine("/OutputIntents [<< /Type /OutputIntent /S /GTS_PDFA1 /OutputConditionIdentifier " +
              condition + " /Info " + condition + " /DestOutputProfile " +
              IntToStr(outputProfileNumber_) + " 0 R >>]");
  }
}

}  // namespace pdf
