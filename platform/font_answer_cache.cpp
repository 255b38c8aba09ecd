#include "platform/font_answer_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

#include "platform/file_bytes.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "tallowcraft font answers 2\n";
constexpr uintmax_t kLargestFile = 8u << 20;  // far beyond any real catalog

// Guards against a file damaged in the middle, which would otherwise still
// parse as answers.
// FNV-1a over 8-byte words (then the last bytes one by one): every run
// reads the whole file first, so a byte at a time would cost more than the
// parse.
uint64_t Checksum(std::string_view bytes) {
  constexpr uint64_t kPrime = 1099511628211u;
  uint64_t hash = 14695981039346656037u;
  size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + at, 8);
    hash = (hash ^ word) * kPrime;
  }
  for (; at < bytes.size(); ++at) hash = (hash ^ static_cast<unsigned char>(bytes[at])) * kPrime;
  return hash;
}

// Strings are written as "<length>:<bytes>", so face names and paths may
// hold spaces, newlines or anything else.
void PutString(std::string& out, std::string_view text) {
  out += ' ';
  out += std::to_string(text.size());
  out += ':';
  out += text;
}

void PutNumber(std::string& out, int64_t value) {
  out += ' ';
  out += std::to_string(value);
}

// Reads the tokens of one line after the other; any surprise makes it fail
// for good, and the whole file is then ignored.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }

  // The keyword that starts a line.
  std::string_view Keyword() {
    const size_t end = text_.find(' ', pos_);
    if (end == std::string_view::npos) return Fail();
    const std::string_view word = text_.substr(pos_, end - pos_);
    pos_ = end;
    return word;
  }

  bool Number(int64_t& value) {
    if (!Space()) return false;
    const char* start = text_.data() + pos_;
    const auto [end, error] = std::from_chars(start, text_.data() + text_.size(), value);
    if (error != std::errc()) return Fail(), false;
    pos_ += static_cast<size_t>(end - start);
    return true;
  }

  bool Number(int& value) {
    int64_t wide = 0;
    if (!Number(wide) || wide < INT32_MIN || wide > INT32_MAX) return Fail(), false;
    value = static_cast<int>(wide);
    return true;
  }

  bool String(std::string& value) {
    int64_t length = 0;
    if (!Number(length) || pos_ >= text_.size() || text_[pos_] != ':') return Fail(), false;
    ++pos_;
    if (length < 0 || static_cast<uint64_t>(length) > text_.size() - pos_) return Fail(), false;
    value.assign(text_.substr(pos_, static_cast<size_t>(length)));
    pos_ += static_cast<size_t>(length);
    return true;
  }

  bool LineEnd() {
    if (pos_ >= text_.size() || text_[pos_] != '\n') return Fail(), false;
    ++pos_;
    return true;
  }

 private:
  bool Space() {
    if (pos_ >= text_.size() || text_[pos_] != ' ') return Fail(), false;
    ++pos_;
    return true;
  }
  std::string_view Fail() {
    pos_ = text_.size();
    return {};
  }

  std::string_view text_;
  size_t pos_ = 0;
};

bool ReadFace(Tokens& in, FontFaceEntry& face) {
  int italic = 0;
  int trueType = 0;
  const bool read = in.Keyword() == "face" && in.String(face.family) && in.String(face.file) &&
                    in.Number(face.index) && in.Number(face.weight) && in.Number(italic) &&
                    in.Number(face.width) && in.Number(trueType) && in.LineEnd();
  face.italic = italic != 0;
  face.trueType = trueType != 0;
  return read;
}

void PutFace(std::string& out, const FontFaceEntry& face) {
  out += "face";
  PutString(out, face.family);
  PutString(out, face.file);
  PutNumber(out, face.index);
  PutNumber(out, face.weight);
  PutNumber(out, face.italic ? 1 : 0);
  PutNumber(out, face.width);
  PutNumber(out, face.trueType ? 1 : 0);
  out += '\n';
}

// Replaces `file` by `text` through a temporary file beside it and a rename.
bool ReplaceWith(const fs::path& file, const std::string& text) {
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  std::string temporary = file.string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  const bool written = ::close(fd) == 0 && done == text.size();
  if (written && std::rename(temporary.c_str(), file.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace

std::vector<PathStamp> StampsOf(const std::vector<std::string>& paths) {
  std::vector<PathStamp> stamps;
  stamps.reserve(paths.size());
  for (const std::string& path : paths) {
    struct stat info {};
    PathStamp stamp{path, -1};
    if (::stat(path.c_str(), &info) == 0)
      stamp.modified =
          static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamps.push_back(std::move(stamp));
  }
  return stamps;
}

FontAnswerCache::FontAnswerCache(fs::path file, std::string context)
    : file_(std::move(file)), context_(std::move(context)) {}

bool FontAnswerCache::Load() {
  faces_.clear();
  firstFamilies_.clear();
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(file_.string(), kLargestFile);
  } catch (const std::exception&) {
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (Parse(text)) return true;
  faces_.clear();
  firstFamilies_.clear();
  return false;
}

bool FontAnswerCache::Parse(std::string_view text) {
  if (!text.starts_with(kMagic)) return false;
  const size_t sumLine = text.rfind("sum ");
  if (sumLine == std::string_view::npos || sumLine < kMagic.size() || text[sumLine - 1] != '\n')
    return false;
  Tokens sum(text.substr(sumLine));
  int64_t expected = 0;
  if (sum.Keyword() != "sum" || !sum.Number(expected) || !sum.LineEnd() || !sum.AtEnd() ||
      static_cast<uint64_t>(expected) != Checksum(text.substr(0, sumLine)))
    return false;

  Tokens in(text.substr(kMagic.size(), sumLine - kMagic.size()));
  std::string context;
  if (in.Keyword() != "context" || !in.String(context) || !in.LineEnd() || context != context_)
    return false;
  std::vector<PathStamp> stamps;
  while (!in.AtEnd()) {
    const std::string_view keyword = in.Keyword();
    if (keyword == "stamp") {
      PathStamp stamp;
      if (!in.String(stamp.path) || !in.Number(stamp.modified) || !in.LineEnd()) return false;
      stamps.push_back(std::move(stamp));
    } else if (keyword == "faces") {
      std::string name;
      int charset = 0;
      int count = 0;
      if (!in.String(name) || !in.Number(charset) || !in.Number(count) || !in.LineEnd() ||
          count < 0 || count > 100000)
        return false;
      std::vector<FontFaceEntry> faces(static_cast<size_t>(count));
      for (FontFaceEntry& face : faces)
        if (!ReadFace(in, face)) return false;
      faces_[{name, charset}] = std::move(faces);
    } else if (keyword == "first") {
      int charset = 0;
      std::string family;
      if (!in.Number(charset) || !in.String(family) || !in.LineEnd()) return false;
      firstFamilies_[charset] = std::move(family);
    } else {
      return false;
    }
  }
  if (stamps.empty()) return false;
  std::vector<std::string> paths;
  for (const PathStamp& stamp : stamps) paths.push_back(stamp.path);
  return StampsOf(paths) == stamps;
}

const std::vector<FontFaceEntry>* FontAnswerCache::FindFaces(const std::string& faceName,
                                                             int charset) const {
  const auto found = faces_.find({faceName, charset});
  return found == faces_.end() ? nullptr : &found->second;
}

const std::string* FontAnswerCache::FindFirstFamily(int charset) const {
  const auto found = firstFamilies_.find(charset);
  return found == firstFamilies_.end() ? nullptr : &found->second;
}

void FontAnswerCache::AddFaces(const std::string& faceName, int charset,
                               std::vector<FontFaceEntry> faces) {
  faces_[{faceName, charset}] = std::move(faces);
}

void FontAnswerCache::AddFirstFamily(int charset, std::string family) {
  firstFamilies_[charset] = std::move(family);
}

bool FontAnswerCache::Save(const std::vector<PathStamp>& stamps) const {
  if (file_.empty()) return false;
  std::string text(kMagic);
  text += "context";
  PutString(text, context_);
  text += '\n';
  for (const PathStamp& stamp : stamps) {
    text += "stamp";
    PutString(text, stamp.path);
    PutNumber(text, stamp.modified);
    text += '\n';
  }
  for (const auto& [key, faces] : faces_) {
    text += "faces";
    PutString(text, key.first);
    PutNumber(text, key.second);
    PutNumber(text, static_cast<int64_t>(faces.size()));
    text += '\n';
    for (const FontFaceEntry& face : faces) PutFace(text, face);
  }
  for (const auto& [charset, family] : firstFamilies_) {
    text += "first";
    PutNumber(text, charset);
    PutString(text, family);
    text += '\n';
  }
  const uint64_t sum = Checksum(text);
  text += "sum";
  PutNumber(text, static_cast<int64_t>(sum));
  text += '\n';
  return ReplaceWith(file_, text);
}

}  // namespace platform
