#include "app/html_page.h"

#include <zlib.h>

#include <fstream>
#include <sstream>

#include "app/path_rules.h"
#include "pdf/output_file.h"
#include "platform/file_bytes.h"
#include "platform/folders.h"
#include "platform/message_box.h"

namespace app {

namespace {

// A page template is a few kilobytes; anything near this is not one.
constexpr uint64_t kLargestTemplate = 16 << 20;

void ReplaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
  for (size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
}

// The template's lines, each ended by CR LF whatever it was ended by.
std::string WithCrLf(const std::string& text) {
  std::string out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += line + "\r\n";
  }
  return out;
}

// The bytes after the 8-byte header, inflated for a compressed movie; enough
// for the stage rectangle.
std::string HeaderRest(const std::vector<uint8_t>& bytes) {
  const std::string rest(bytes.begin() + 8, bytes.end());
  if (bytes[0] == 'F') return rest;
  std::string out(64, '\0');
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(rest.data()));
  stream.avail_in = static_cast<uInt>(rest.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  inflate(&stream, Z_SYNC_FLUSH);
  out.resize(out.size() - stream.avail_out);
  inflateEnd(&stream);
  return out;
}

}  // namespace

std::string FillHtmlTemplate(const std::string& text, const std::string& title,
                             const std::string& movieName, int width, int height) {
  std::string page = text;
  ReplaceAll(page, "<%HTMLPageTitle%>", title);
  ReplaceAll(page, "<%SWFFileName%>", movieName);
  ReplaceAll(page, "<%SWFWidth%>", std::to_string(width));
  ReplaceAll(page, "<%SWFHeight%>", std::to_string(height));
  return page;
}

std::optional<std::pair<int, int>> ReadSwfStageSize(const std::string& movieFile) {
  // The stage rectangle lies within the first bytes, compressed or not.
  std::vector<uint8_t> bytes;
  try {
    platform::ReadableFile(movieFile).Append(bytes, 4096);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (bytes.size() < 9 || (bytes[0] != 'F' && bytes[0] != 'C') || bytes[1] != 'W' ||
      bytes[2] != 'S')
    return std::nullopt;
  const std::string rest = HeaderRest(bytes);
  if (rest.empty()) return std::nullopt;
  const int bits = static_cast<uint8_t>(rest[0]) >> 3;
  if (5 + 4 * static_cast<size_t>(bits) > rest.size() * 8) return std::nullopt;
  size_t position = 5;
  const auto field = [&] {
    int64_t value = 0;
    for (int i = 0; i < bits; ++i, ++position)
      value = (value << 1) | ((static_cast<uint8_t>(rest[position / 8]) >> (7 - position % 8)) & 1);
    if (bits > 0 && (value >> (bits - 1)) != 0) value -= int64_t{1} << bits;
    return value;
  };
  const int64_t xMin = field(), xMax = field(), yMin = field(), yMax = field();
  const int64_t width = (xMax - xMin) / 20, height = (yMax - yMin) / 20;
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return std::nullopt;
  return std::make_pair(static_cast<int>(width), static_cast<int>(height));
}

void MakeHTMLPage(const std::string& movieFile, const std::string& title, int width, int height,
                  const ConfirmReplace& confirm) {
  MakeHTMLPageFrom(platform::ProgramFolder() + "HTMLPageTemplate.html", movieFile, title, width,
                   height, confirm);
}

void MakeHTMLPageFrom(const std::string& templateFile, const std::string& movieFile,
                      const std::string& title, int width, int height,
                      const ConfirmReplace& confirm) {
  if (!platform::FileExists(templateFile)) {
    platform::ShowMessageBox("HTMLPageTemplate.html not found", "Error",
                             platform::MessageIcon::Error);
    return;
  }
  const auto bytes = platform::ReadWholeFile(templateFile, kLargestTemplate);
  const std::string pageFile = ChangeFileExt(movieFile, ".html");
  const std::string movieName = ExtractFileName(movieFile);
  if (width <= 0 || height <= 0) {
    if (const auto stage = ReadSwfStageSize(movieFile)) std::tie(width, height) = *stage;
  }
  const std::string page =
      FillHtmlTemplate(WithCrLf(std::string(bytes.begin(), bytes.end())),
                       title.empty() ? movieName : title, movieName, width, height);
  if (platform::FileExists(pageFile) && confirm &&
      !confirm("File \"" + pageFile + "\" already exists.\r\nDo you want to overwrite file?",
               "Enable rewrite file"))
    return;
  pdf::OutputFile out(pageFile);
  out.write(page);
  out.commit();
}

}  // namespace app
