#include "platform/font_catalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/code_pages.h"
#include "platform/folders.h"
#include "platform/font_answer_cache.h"

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
  std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(
      FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_FONTFORMAT,
                       FC_FONTVERSION, nullptr));
  std::unique_ptr<FcFontSet, FontSetDeleter> set(
      FcFontList(Config(), pattern.get(), objects.get()));
  if (!set) return {};
  std::vector<ListedFace> listed;
  for (int i = 0; i < set->nfont; ++i) {
    int version = 0;
    FcPatternGetInteger(set->fonts[i], FC_FONTVERSION, 0, &version);
    listed.push_back({EntryOf(set->fonts[i]), version});
  }
  std::sort(listed.begin(), listed.end(), ListedBefore);
  std::vector<FontFaceEntry> faces;
  faces.reserve(listed.size());
  for (ListedFace& face : listed) faces.push_back(std::move(face.face));
  return faces;
}

}  // namespace

bool ListedBefore(const ListedFace& first, const ListedFace& second) {
  const FontFaceEntry& a = first.face;
  const FontFaceEntry& b = second.face;
  if (a.family != b.family) return a.family < b.family;
  if ((a.weight >= 600) != (b.weight >= 600)) return a.weight < b.weight;
  if (a.italic != b.italic) return !a.italic;
  if ((a.width == FC_WIDTH_NORMAL) != (b.width == FC_WIDTH_NORMAL))
    return a.width == FC_WIDTH_NORMAL;
  if (a.weight != b.weight) return std::abs(a.weight - 400) < std::abs(b.weight - 400);
  if (first.version != second.version) return first.version > second.version;
  return a.file < b.file;
}

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

std::vector<std::string> Strings(FcStrList* list) {
  std::vector<std::string> strings;
  if (list == nullptr) return strings;
  while (const FcChar8* s = FcStrListNext(list))
    strings.emplace_back(reinterpret_cast<const char*>(s));
  FcStrListDone(list);
  return strings;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string UserConfigFolder() {
  const std::string xdg = Environment("XDG_CONFIG_HOME");
  if (!xdg.empty()) return xdg + "/fontconfig";
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + ".config/fontconfig";
}

// What fontconfig's answers depend on, as fontconfig itself watches it: the
// configuration files and folders read, every font folder with its
// subfolders, and fontconfig's cache folders; also the user's configuration
// while it does not exist yet, so that writing one counts as a change, and
// the program itself.
std::vector<std::string> WatchedPaths() {
  FcConfig* config = Config();
  std::vector<std::string> paths = Strings(FcConfigGetConfigFiles(config));
  for (auto* list :
       {FcConfigGetConfigDirs(config), FcConfigGetFontDirs(config), FcConfigGetCacheDirs(config)})
    for (std::string& path : Strings(list)) paths.push_back(std::move(path));
  const std::string user = UserConfigFolder();
  if (!user.empty())
    for (const char* name : {"", "/fonts.conf", "/conf.d"}) paths.push_back(user + name);
  if (const std::string home = HomeFolder(); !home.empty()) paths.push_back(home + ".fonts.conf");
  // A rebuilt or upgraded program may ask or sort differently.
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) paths.push_back(program.string());
  std::sort(paths.begin(), paths.end());
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  return paths;
}

// Answers of another fontconfig, of another copy of the program (another
// build may ask or sort differently) or given under another environment do
// not count: the environment picks the configuration and the default
// language.
std::string Context() {
  std::string context = "fontconfig " + std::to_string(FcGetVersion());
  std::error_code error;
  context.append("\nprogram=").append(std::filesystem::read_symlink("/proc/self/exe", error));
  for (const char* name :
       {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "HOME", "XDG_CONFIG_HOME",
        "XDG_DATA_HOME", "XDG_CACHE_HOME", "FC_LANG", "LC_ALL", "LC_CTYPE", "LANG"})
    context.append("\n").append(name).append("=").append(Environment(name));
  return context;
}

}  // namespace

FontCatalog::FontCatalog(std::filesystem::path cacheFile)
    : keepsFile_(!cacheFile.empty()),
      cache_(std::make_unique<FontAnswerCache>(std::move(cacheFile), Context())) {
  if (keepsFile_) cache_->Load();
}

FontCatalog::~FontCatalog() = default;

const std::vector<FontFaceEntry>& FontCatalog::Answer(const std::string& faceName, int charset) {
  static const std::vector<FontFaceEntry> kNone;
  if (faceName.empty()) return kNone;
  const int resolved = ResolveCharset(charset);
  if (const auto* faces = cache_->FindFaces(faceName, resolved)) return *faces;
  cache_->AddFaces(faceName, resolved, QueryFaces(faceName, resolved));
  Keep();
  return *cache_->FindFaces(faceName, resolved);
}

std::vector<FontFaceEntry> FontCatalog::Faces(const std::string& faceName, int charset) {
  return Answer(faceName, charset);
}

bool FontCatalog::FirstFaceIsTrueType(const std::string& faceName, int charset) {
  const std::vector<FontFaceEntry>& faces = Answer(faceName, charset);
  return !faces.empty() && faces.front().trueType;
}

std::string FontCatalog::FirstTrueTypeFamily(int charset) {
  const int resolved = ResolveCharset(charset);
  if (const std::string* family = cache_->FindFirstFamily(resolved)) return *family;
  std::string family = QueryFirstTrueTypeFamily(resolved);
  cache_->AddFirstFamily(resolved, family);
  Keep();
  return family;
}

// Rewritten on every new answer: a job asks few distinct questions, and a
// run that ends early still leaves what it learnt.
void FontCatalog::Keep() {
  ++queries_;
  if (!keepsFile_) return;
  if (stamps_.empty()) {
    stamps_ = StampsOf(WatchedPaths());
    // Fonts that changed after fontconfig read them but before the stamps
    // were taken would leave old answers under new stamps: keep nothing then.
    if (!FcConfigUptoDate(Config())) {
      keepsFile_ = false;
      return;
    }
  }
  cache_->Save(stamps_);
}

std::filesystem::path FontAnswerCacheFile() {
  std::string folder = Environment("XDG_CACHE_HOME");
  if (!folder.starts_with('/')) {  // relative values are to be ignored
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    folder = home + ".cache";
  }
  return std::filesystem::path(folder) / "tallowcraft" / "fontconfig-answers";
}

namespace {

// One catalog for the process: installed fonts do not change while a job is
// converted, and a fontconfig query costs far more than the text record
// that asks it.
std::mutex& CatalogMutex() {
  static std::mutex mutex;
  return mutex;
}

FontCatalog& ProcessCatalog() {
  static FontCatalog catalog(FontAnswerCacheFile());
  return catalog;
}

}  // namespace

std::vector<FontFaceEntry> EnumerateFaces(const std::string& faceName, int charset) {
  const std::lock_guard<std::mutex> lock(CatalogMutex());
  return ProcessCatalog().Faces(faceName, charset);
}

bool FirstFaceIsTrueType(const std::string& faceName, int charset) {
  const std::lock_guard<std::mutex> lock(CatalogMutex());
  return ProcessCatalog().FirstFaceIsTrueType(faceName, charset);
}

std::string FirstTrueTypeFamily(int charset) {
  const std::lock_guard<std::mutex> lock(CatalogMutex());
  return ProcessCatalog().FirstTrueTypeFamily(charset);
}

}  // namespace platform
