#include "app/html_page.h"

#include <zlib.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

#include "app/html_text.h"
#include "app/path_rules.h"
#include "pdf/output_file.h"
#include "platform/file_bytes.h"
#include "platform/folders.h"
#include "platform/message_box.h"

namespace app {

namespace {

// A page template is a few kilobytes; anything near this is not one.
constexpr uint64_t kLargestTemplate = 16 << 20;

// Where a placeholder stands in the page, which decides its escaping.
enum class Place {
  kText,      // text or a comment: character references hold
  kValue,     // a quoted value of an ordinary attribute
  kUrlValue,  // a quoted value the browser reads as a URL, a script or a style
  kMarkup     // inside a tag outside a quoted value, or inside a script or style
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithNoCase(const std::string& text, size_t at, const std::string& word) {
  return text.size() >= at + word.size() && LowerCase(text.substr(at, word.size())) == word;
}

// Attributes whose value is a URL, a script or a style: there a value can
// say "javascript:" or end a string, so it stands percent-encoded.
bool UrlAttribute(const std::string& name) {
  static const std::set<std::string> kNames = {"action", "background", "cite", "codebase",
                                               "data",   "formaction", "href", "poster",
                                               "src",    "srcset",     "style"};
  return name.rfind("on", 0) == 0 || kNames.count(name) != 0;
}

// Follows the page's markup far enough to tell text, attribute values, tags
// and the raw text of scripts and styles apart.
class MarkupScanner {
 public:
  // Moves past text[at]; returns how many more characters belong to the
  // markup just recognized and are passed over.
  size_t Advance(const std::string& text, size_t at);
  Place place() const;

 private:
  enum class State {
    kData,
    kComment,
    kBogus,
    kTagName,
    kTag,
    kBeforeValue,
    kQuoted,
    kUnquoted,
    kRaw
  };
  size_t InTag(char c);
  size_t TagEnd();

  State state_ = State::kData;
  std::string tag_;
  bool endTag_ = false;
  std::string attribute_;
  bool inName_ = false;
  char quote_ = 0;
};

size_t MarkupScanner::Advance(const std::string& text, size_t at) {
  const char c = text[at];
  const char next = at + 1 < text.size() ? text[at + 1] : '\0';
  switch (state_) {
    case State::kData:
      if (c != '<') return 0;
      if (text.compare(at + 1, 3, "!--") == 0) {
        state_ = State::kComment;
        return 3;
      }
      if (next == '!' || next == '?') {
        state_ = State::kBogus;
      } else if (IsLetter(next) ||
                 (next == '/' && at + 2 < text.size() && IsLetter(text[at + 2]))) {
        state_ = State::kTagName;
        endTag_ = next == '/';
        tag_.clear();
        return endTag_ ? 1 : 0;
      }
      return 0;
    case State::kComment:
      if (text.compare(at, 3, "-->") != 0) return 0;
      state_ = State::kData;
      return 2;
    case State::kBogus:
      if (c == '>') state_ = State::kData;
      return 0;
    case State::kTagName:
      if (!IsSpace(c) && c != '/' && c != '>') {
        tag_.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        return 0;
      }
      state_ = State::kTag;
      inName_ = false;
      return InTag(c);
    case State::kTag:
      return InTag(c);
    case State::kBeforeValue:
      if (IsSpace(c)) return 0;
      if (c == '>') return TagEnd();
      if (c == '"' || c == '\'') {
        quote_ = c;
        state_ = State::kQuoted;
      } else {
        state_ = State::kUnquoted;
      }
      return 0;
    case State::kQuoted:
      if (c == quote_) state_ = State::kTag;
      return 0;
    case State::kUnquoted:
      if (IsSpace(c)) state_ = State::kTag;
      if (c == '>') return TagEnd();
      return 0;
    case State::kRaw: {
      const size_t after = at + 2 + tag_.size();
      if (c != '<' || next != '/' || !StartsWithNoCase(text, at + 2, tag_) ||
          (after < text.size() && !IsSpace(text[after]) && text[after] != '/' &&
           text[after] != '>'))
        return 0;
      state_ = State::kTag;
      endTag_ = true;
      inName_ = false;
      return 1 + tag_.size();
    }
  }
  return 0;
}

size_t MarkupScanner::InTag(char c) {
  if (c == '>') return TagEnd();
  if (c == '=') {
    state_ = State::kBeforeValue;
    inName_ = false;
  } else if (IsSpace(c) || c == '/') {
    inName_ = false;
  } else {
    if (!inName_) attribute_.clear();
    inName_ = true;
    attribute_.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return 0;
}

size_t MarkupScanner::TagEnd() {
  static const std::set<std::string> kRawText = {"script", "style",   "xmp",
                                                 "iframe", "noembed", "noframes"};
  state_ = !endTag_ && kRawText.count(tag_) != 0 ? State::kRaw : State::kData;
  return 0;
}

Place MarkupScanner::place() const {
  switch (state_) {
    case State::kData:
    case State::kComment:
    case State::kBogus:
      return Place::kText;
    case State::kQuoted:
      return UrlAttribute(attribute_) ? Place::kUrlValue : Place::kValue;
    default:
      return Place::kMarkup;
  }
}

// What a value becomes where it stands. The movie's name is a link but in
// text; elsewhere only percent-encoding is safe whatever surrounds it.
std::string Escaped(const std::string& value, Place place, bool isLink) {
  switch (place) {
    case Place::kText:
      return EscapeHtml(value);
    case Place::kValue:
      return EscapeHtml(isLink ? PercentEncodeSegment(value) : value);
    default:
      return PercentEncodeSegment(value);
  }
}

constexpr const char* kPlaceholders[] = {"<%HTMLPageTitle%>", "<%SWFFileName%>", "<%SWFWidth%>",
                                         "<%SWFHeight%>"};

// The length of the placeholder at `at`, or 0.
size_t PlaceholderAt(const std::string& text, size_t at) {
  for (const std::string placeholder : kPlaceholders)
    if (text.compare(at, placeholder.size(), placeholder) == 0) return placeholder.size();
  return 0;
}

// Replaces every placeholder with its value escaped for its place. Escaped
// values hold no markup, and placeholders still to come are passed over as
// the values they will be, so the places after them stay as they are.
std::string ReplaceInPlace(const std::string& text, const std::string& placeholder,
                           const std::string& value, bool isLink) {
  std::string out;
  MarkupScanner scanner;
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, placeholder.size(), placeholder) == 0) {
      out += Escaped(value, scanner.place(), isLink);
      at += placeholder.size();
      continue;
    }
    if (const size_t other = PlaceholderAt(text, at)) {
      out.append(text, at, other);
      at += other;
      continue;
    }
    const size_t length = 1 + scanner.Advance(text, at);
    out.append(text, at, length);
    at += length;
  }
  return out;
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
  std::string page = ReplaceInPlace(text, "<%HTMLPageTitle%>", title, false);
  page = ReplaceInPlace(page, "<%SWFFileName%>", movieName, true);
  page = ReplaceInPlace(page, "<%SWFWidth%>", std::to_string(width), false);
  return ReplaceInPlace(page, "<%SWFHeight%>", std::to_string(height), false);
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
                  const ConfirmReplace& confirm, platform::MessagePresenter& messages) {
  MakeHTMLPageFrom(platform::ProgramFolder() + "HTMLPageTemplate.html", movieFile, title, width,
                   height, confirm, messages);
}

void MakeHTMLPageFrom(const std::string& templateFile, const std::string& movieFile,
                      const std::string& title, int width, int height,
                      const ConfirmReplace& confirm, platform::MessagePresenter& messages) {
  if (!platform::FileExists(templateFile)) {
    messages.Show("HTMLPageTemplate.html not found", "Error", platform::MessageIcon::Error);
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
