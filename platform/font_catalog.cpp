#include "platform/font_catalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/code_pages.h"

namespace platform {

namespace {

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct ObjectSetDeleter {
  void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

FcConfig* Config() {
  static FcConfig* config = [] {
    FcInit();
    return FcConfigGetCurrent();
  }();
  return config;
}

int ResolveCharset(int charset) {
  return charset == kDefaultCharset ? SystemDefaultCharset() : charset;
}

// Families that the name stands for: the name and the aliases that
// fontconfig binds strongly to it (its metric-compatible replacements). The
// weakly bound generic fallbacks are not the requested face.
std::vector<std::string> StrongFamilies(const std::string& faceName) {
  std::vector<std::string> families;
  Pattern pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.c_str()));
  FcConfigSubstitute(Config(), pattern.get(), FcMatchPattern);
  FcPatternIter iter;
  FcPatternIterStart(pattern.get(), &iter);
  do {
    const char* object = FcPatternIterGetObject(pattern.get(), &iter);
    if (object == nullptr || std::string_view(object) != FC_FAMILY) continue;
    const int count = FcPatternIterValueCount(pattern.get(), &iter);
    for (int i = 0; i < count; ++i) {
      FcValue value;
      FcValueBinding binding;
      if (FcPatternIterGetValue(pattern.get(), &iter, i, &value, &binding) != FcResultMatch)
        continue;
      if (value.type != FcTypeString || binding == FcValueBindingWeak) continue;
      families.emplace_back(reinterpret_cast<const char*>(value.u.s));
    }
  } while (FcPatternIterNext(pattern.get(), &iter));
  if (families.empty()) families.push_back(faceName);
  return families;
}

std::string StringOf(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr)
    return {};
  return reinterpret_cast<const char*>(value);
}

FontFaceEntry EntryOf(FcPattern* face) {
  FontFaceEntry entry;
  entry.family = StringOf(face, FC_FAMILY);
  entry.file = StringOf(face, FC_FILE);
  FcPatternGetInteger(face, FC_INDEX, 0, &entry.index);
  int weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(face, FC_WEIGHT, 0, &weight);
  entry.weight = static_cast<int>(FcWeightToOpenTypeDouble(weight));
  FcPatternGetInteger(face, FC_WIDTH, 0, &entry.width);
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(face, FC_SLANT, 0, &slant);
  entry.italic = slant != FC_SLANT_ROMAN;
  entry.trueType = StringOf(face, FC_FONTFORMAT) == "TrueType";
  return entry;
}

std::vector<FontFaceEntry> ListFamily(const std::string& family, const std::string& language) {
  Pattern pattern(FcPatternCreate());
  if (!family.empty())
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (!language.empty())
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
  std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(
      FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_FONTFORMAT, nullptr));
  std::unique_ptr<FcFontSet, FontSetDeleter> set(
      FcFontList(Config(), pattern.get(), objects.get()));
  std::vector<FontFaceEntry> faces;
  if (!set) return faces;
  for (int i = 0; i < set->nfont; ++i) faces.push_back(EntryOf(set->fonts[i]));
  std::sort(faces.begin(), faces.end(), [](const FontFaceEntry& a, const FontFaceEntry& b) {
    if (a.family != b.family) return a.family < b.family;
    if ((a.weight >= 600) != (b.weight >= 600)) return a.weight < b.weight;
    if (a.italic != b.italic) return !a.italic;
    if ((a.width == FC_WIDTH_NORMAL) != (b.width == FC_WIDTH_NORMAL))
      return a.width == FC_WIDTH_NORMAL;
    if (a.weight != b.weight) return std::abs(a.weight - 400) < std::abs(b.weight - 400);
    return a.file < b.file;
  });
  return faces;
}

}  // namespace

std::string CharsetLanguage(int charset) {
  switch (ResolveCharset(charset)) {
    case 0:
      return "en";
    case 128:
      return "ja";
    case 129:
      return "ko";
    case 130:
      return "ko";
    case 134:
      return "zh-cn";
    case 136:
      return "zh-tw";
    case 161:
      return "el";
    case 162:
      return "tr";
    case 163:
      return "vi";
    case 177:
      return "he";
    case 178:
      return "ar";
    case 186:
      return "lt";
    case 204:
      return "ru";
    case 222:
      return "th";
    case 238:
      return "pl";
    default:
      return {};
  }
}

namespace {

std::vector<FontFaceEntry> QueryFaces(const std::string& faceName, int charset) {
  const std::string language = CharsetLanguage(charset);
  for (const std::string& family : StrongFamilies(faceName)) {
    auto faces = ListFamily(family, language);
    if (!faces.empty()) return faces;
  }
  return {};
}

// fontconfig's own order for a plain sans-serif request of the language
// stands for the order in which Windows lists its families.
std::string QueryFirstTrueTypeFamily(int charset) {
  Pattern pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  const std::string language = CharsetLanguage(charset);
  if (!language.empty())
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
  FcConfigSubstitute(Config(), pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result;
  std::unique_ptr<FcFontSet, FontSetDeleter> sorted(
      FcFontSort(Config(), pattern.get(), FcFalse, nullptr, &result));
  if (!sorted) return {};
  for (int i = 0; i < sorted->nfont; ++i) {
    const FontFaceEntry face = EntryOf(sorted->fonts[i]);
    if (!face.trueType) continue;
    if (!language.empty()) {
      FcLangSet* languages = nullptr;
      if (FcPatternGetLangSet(sorted->fonts[i], FC_LANG, 0, &languages) != FcResultMatch ||
          FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(language.c_str())) ==
              FcLangDifferentLang)
        continue;
    }
    return face.family;
  }
  return {};
}

// Answers are kept for the whole process: installed fonts do not change
// while a job is converted, and a fontconfig query costs far more than the
// text record that asks it.
template <class Key, class Value, class Query>
Value Remembered(const Key& key, Query query) {
  static std::mutex mutex;
  static std::map<Key, Value> answers;
  const std::lock_guard<std::mutex> lock(mutex);
  auto found = answers.find(key);
  if (found == answers.end()) found = answers.emplace(key, query()).first;
  return found->second;
}

}  // namespace

std::vector<FontFaceEntry> EnumerateFaces(const std::string& faceName, int charset) {
  if (faceName.empty()) return {};
  const int resolved = ResolveCharset(charset);
  return Remembered<std::pair<std::string, int>, std::vector<FontFaceEntry>>(
      std::make_pair(faceName, resolved), [&] { return QueryFaces(faceName, resolved); });
}

std::string FirstTrueTypeFamily(int charset) {
  const int resolved = ResolveCharset(charset);
  return Remembered<int, std::string>(resolved, [&] { return QueryFirstTrueTypeFamily(resolved); });
}

}  // namespace platform
