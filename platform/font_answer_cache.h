#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/font_catalog.h"

namespace platform {

// When a watched path last changed: its modification time in nanoseconds,
// or -1 while it does not exist.
struct PathStamp {
  std::string path;
  int64_t modified = -1;
  bool operator==(const PathStamp&) const = default;
};

// Stamps of `paths` as they are now.
std::vector<PathStamp> StampsOf(const std::vector<std::string>& paths);

// Font catalog answers kept in one file between runs. The file holds the
// answers with the context they were given in (library version and the
// environment that steers fontconfig) and the stamps of the configuration,
// font and cache folders they depend on; it counts only while all of them
// are unchanged. A file that is damaged, foreign, of another context or
// stale is ignored, and the next Save replaces it through a temporary file
// and a rename, so readers never see half a file.
class FontAnswerCache {
 public:
  FontAnswerCache(std::filesystem::path file, std::string context);

  // Takes the file's answers if the file is whole and its context and
  // stamps still hold; false (and no answers) otherwise.
  bool Load();

  const std::vector<FontFaceEntry>* FindFaces(const std::string& faceName, int charset) const;
  const std::string* FindFirstFamily(int charset) const;
  void AddFaces(const std::string& faceName, int charset, std::vector<FontFaceEntry> faces);
  void AddFirstFamily(int charset, std::string family);

  // Writes every answer held with `stamps`; false when the file cannot be
  // written (the answers then last for this run only).
  bool Save(const std::vector<PathStamp>& stamps) const;

 private:
  bool Parse(std::string_view text);

  std::filesystem::path file_;
  std::string context_;
  std::map<std::pair<std::string, int>, std::vector<FontFaceEntry>> faces_;
  std::map<int, std::string> firstFamilies_;
};

}  // namespace platform
