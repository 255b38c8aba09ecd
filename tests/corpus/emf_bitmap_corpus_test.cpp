// Real metafiles with bitmap records: their bitmaps become images, and a
// page that is one bitmap renders with the bitmap's pixels where the record
// put them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/emf_convert_support.h"
#include "support/image_tools.h"
#include "support/temp_folder.h"

namespace {

using testing_support::CommandOutput;
using testing_support::ReadPnm;
using testing_support::TempFolder;

constexpr uint32_t kStretchDIBits = 81;

struct Bounds {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int32_t I32At(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                              static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// rclBounds of the header and of every EMR_STRETCHDIBITS record.
void ReadBounds(const std::vector<uint8_t>& emf, Bounds& picture, std::vector<Bounds>& bitmaps) {
  auto boundsAt = [&](size_t at) {
    return Bounds{I32At(emf, at), I32At(emf, at + 4), I32At(emf, at + 8), I32At(emf, at + 12)};
  };
  picture = boundsAt(8);
  for (size_t at = 0; at + 8 <= emf.size();) {
    const uint32_t type = static_cast<uint32_t>(I32At(emf, at));
    const uint32_t size = static_cast<uint32_t>(I32At(emf, at + 4));
    if (size < 8 || size > emf.size() - at) break;
    if (type == kStretchDIBits && size >= 24) bitmaps.push_back(boundsAt(at + 8));
    at += size;
  }
}

bool HaveTools() {
  return testing_support::HaveTool("pdfimages") && testing_support::HaveTool("pdftoppm");
}

std::string Corpus(const std::string& relative) {
  return std::string(TALLOWCRAFT_CORPUS_DIR) + "/" + relative;
}

TEST(EmfBitmapCorpus, pageOfOneBitmapRendersItsPixelsInPlace) {
  const std::string file = Corpus("emf/hughbe-emfreader/LibreOffice_test-bug-70710.emf");
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "corpus file missing: " << file;
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or pdftoppm missing";
  Bounds picture;
  std::vector<Bounds> bitmaps;
  ReadBounds(ReadBytes(file), picture, bitmaps);
  ASSERT_EQ(bitmaps.size(), 1u);

  TempFolder folder;
  const std::string pdf = folder.file("page.pdf");
  ASSERT_TRUE(emw_test::ConvertPages({file}, pdf));
  ASSERT_TRUE(CommandOutput("pdfimages '" + pdf + "' '" + folder.file("img") + "'"));
  ASSERT_TRUE(
      CommandOutput("pdftoppm -r 72 -f 1 -l 1 '" + pdf + "' '" + folder.file("page") + "'"));
  const auto image = ReadPnm(folder.file("img-000.ppm"));
  const auto page = ReadPnm(folder.file("page-1.ppm"));
  ASSERT_TRUE(image && page);

  // The picture fills A4 inside 5 mm margins (566.65 x 813.65 points from
  // 14.17); the bitmap covers its record's bounds.
  const Bounds& b = bitmaps[0];
  const double sx = 566.65 / (picture.right + 1), sy = 813.65 / (picture.bottom + 1);
  int matching = 0, samples = 0;
  for (double u = 0.1; u < 0.95; u += 0.1) {
    for (double v = 0.1; v < 0.95; v += 0.1) {
      const double px = b.left + u * (b.right - b.left + 1);
      const double py = b.top + v * (b.bottom - b.top + 1);
      const int x = static_cast<int>(14.17 + px * sx), y = static_cast<int>(14.17 + py * sy);
      const int ix = static_cast<int>(u * image->width), iy = static_cast<int>(v * image->height);
      const uint32_t rendered = page->pixels[static_cast<size_t>(y) * page->width + x];
      const uint32_t source = image->pixels[static_cast<size_t>(iy) * image->width + ix];
      bool near = true;
      for (int shift : {0, 8, 16})
        near &= std::abs(static_cast<int>((rendered >> shift) & 0xFF) -
                         static_cast<int>((source >> shift) & 0xFF)) < 48;
      matching += near;
      ++samples;
    }
  }
  // Edges of the drawing may fall between samples; nearly all must agree.
  EXPECT_GE(matching, samples * 9 / 10) << matching << " of " << samples;
}

TEST(EmfBitmapCorpus, stretchDIBitsPagesCarryTheirImages) {
  if (!HaveTools()) GTEST_SKIP() << "pdfimages or pdftoppm missing";
  const auto files = emw_test::CorpusFiles("emf");
  if (files.empty()) GTEST_SKIP() << "corpus not found at " << TALLOWCRAFT_CORPUS_DIR;
  TempFolder folder;
  const std::string pdf = folder.file("page.pdf");
  int checked = 0;
  for (const std::string& file : files) {
    Bounds picture;
    std::vector<Bounds> bitmaps;
    ReadBounds(ReadBytes(file), picture, bitmaps);
    // A picture with empty bounds has no extent and draws nothing at all; a
    // record with inverted bounds and a negative extent is dropped.
    const auto drawn = [](const Bounds& b) { return b.left <= b.right && b.top <= b.bottom; };
    if (!drawn(picture) || std::none_of(bitmaps.begin(), bitmaps.end(), drawn)) continue;
    ASSERT_TRUE(emw_test::ConvertPages({file}, pdf)) << file;
    const auto list = CommandOutput("pdfimages -list '" + pdf + "'");
    ASSERT_TRUE(list.has_value()) << file;
    const bool hasImage = list->find(" image ") != std::string::npos ||
                          list->find(" ccitt ") != std::string::npos ||
                          list->find(" jpeg ") != std::string::npos;
    EXPECT_TRUE(hasImage) << file << " has no image:\n" << *list;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
