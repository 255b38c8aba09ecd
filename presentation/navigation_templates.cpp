#include "presentation/navigation_templates.h"

#include <cstdio>
#include <span>

#include "platform/dib_decoder.h"
#include "platform/file_bytes.h"
#include "platform/folders.h"

namespace presentation {

namespace {

constexpr int kMaxButtonSide = 512;

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// A button picture is small; a file near this size is not one.
constexpr uint64_t kLargestButtonPicture = 16 << 20;

// A BMP file: the file header, then the DIB (info and colours), then the
// bits at the offset the header gives.
bool ReadBmp(const std::string& path, NavigationTemplate& out) {
  const std::vector<uint8_t> bytes = platform::ReadWholeFile(path, kLargestButtonPicture);
  if (bytes.size() < 18 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t bitsOffset = U32At(bytes, 10);
  if (bitsOffset <= 14 || bitsOffset > bytes.size()) return false;
  const std::span<const uint8_t> all(bytes);
  platform::TDibDecoder dib;
  if (!dib.Load(all.subspan(14, bitsOffset - 14), all.subspan(bitsOffset),
                platform::DIB_RGB_COLORS))
    return false;
  if (dib.Width() < 1 || dib.Height() < 1 || dib.Width() > kMaxButtonSide ||
      dib.Height() > kMaxButtonSide)
    return false;
  const platform::TDibPixels pixels = dib.ReadArea(0, 0, dib.Width(), dib.Height());
  out.width = pixels.width;
  out.height = pixels.height;
  out.argb.clear();
  for (size_t i = 0; i < pixels.colors.size(); ++i) {
    const platform::TColor color = pixels.colors[i];
    unsigned alpha = pixels.alpha.empty() ? 255 : pixels.alpha[i];
    if (!pixels.present[i] || color == platform::MakeColor(255, 0, 255)) alpha = 0;
    const auto premultiplied = [alpha](uint8_t c) { return static_cast<char>(c * alpha / 255); };
    out.argb +=
        {static_cast<char>(alpha), premultiplied(platform::ColorRed(color)),
         premultiplied(platform::ColorGreen(color)), premultiplied(platform::ColorBlue(color))};
  }
  return true;
}

}  // namespace

std::vector<NavigationTemplate> LoadNavigationTemplates(const std::string& folder) {
  static constexpr struct {
    NavigationRole role;
    const char* file;
  } kFiles[] = {{NavigationRole::kFirst, "first.bmp"},
                {NavigationRole::kPrevious, "previous.bmp"},
                {NavigationRole::kNext, "next.bmp"},
                {NavigationRole::kLast, "last.bmp"}};
  std::vector<NavigationTemplate> templates;
  if (folder.empty()) return templates;
  const std::string base = folder.back() == '/' ? folder : folder + "/";
  for (const auto& entry : kFiles) {
    const std::string path = base + entry.file;
    if (!platform::FileExists(path)) continue;
    NavigationTemplate button;
    button.role = entry.role;
    bool read = false;
    try {
      read = ReadBmp(path, button);
    } catch (const std::exception&) {
    }
    if (read)
      templates.push_back(std::move(button));
    else
      std::fprintf(stderr, "tallowcraft: %s is not a readable button picture; left out\n",
                   path.c_str());
  }
  return templates;
}

}  // namespace presentation
