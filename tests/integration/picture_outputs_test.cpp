#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "app/jpeg_output.h"
#include "app/picture_outputs.h"
#include "app/tiff_output.h"
#include "pdf/jpeg_codec.h"
#include "support/emf_builder.h"
#include "support/hive_fixture.h"
#include "support/image_tools.h"
#include "support/output_pages.h"
#include "support/silent_job.h"
#include "support/temp_folder.h"

namespace {

using testing_support::CommandOutput;
using testing_support::ReadFile;
using testing_support::TempFolder;

// Debian's Python, which scripts/deps gives PIL, whatever else is on PATH.
constexpr const char* kPython = "/usr/bin/python3";

void RequireTools() {
  ASSERT_TRUE(testing_support::HaveTool("tiffinfo")) << "tiffinfo is missing: run scripts/deps";
  ASSERT_EQ(testing_support::RunCommand(std::string(kPython) + " -c 'import PIL' 2>/dev/null"), 0)
      << "python3-pil is missing: run scripts/deps";
}

// What PIL reads of an image file: size, mode, density, and for each page
// the pixel in the middle of its left and of its right half.
std::string PilSummary(const std::string& file) {
  const auto said =
      CommandOutput(std::string(kPython) +
                    " -c 'import sys\nfrom PIL import Image, ImageSequence\n"
                    "im = Image.open(sys.argv[1])\n"
                    "for p in ImageSequence.Iterator(im):\n"
                    "  d = p.info.get(\"dpi\", (0, 0)); w, h = p.size; g = p.convert(\"L\")\n"
                    "  print(w, h, p.mode, \"%.1f %.1f\" % (float(d[0]), float(d[1])),"
                    " g.getpixel((w // 4, h // 4)), g.getpixel((3 * w // 4, h // 4)))' '" +
                    file + "'");
  return said.value_or("python3 failed");
}

std::vector<platform::TColor> DecodePng(const std::string& data) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> rgb;
  if (png_image_begin_read_from_memory(&image, data.data(), data.size())) {
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
  }
  std::vector<platform::TColor> pixels;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3)
    pixels.push_back(platform::MakeColor(rgb[i], rgb[i + 1], rgb[i + 2]));
  return pixels;
}

// PNG pages are the JPEG pages' pictures, losslessly: the same sizes, their
// density in pHYs, the pixels within JPEG's error of the JPEG page's.
TEST(PngPages, haveTheJpegPagesSizeDensityAndPicture) {
  RequireTools();
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  const app::RasterResolution resolution{150, 150, "test"};
  const auto png =
      app::WritePngPages(emf2pdf::WholeFilePages(pages), temp.file("scan.pdf"), resolution);
  const auto jpeg =
      app::WriteJpegPages(emf2pdf::WholeFilePages(pages), temp.file("scan.jpg"), resolution);
  ASSERT_EQ(png.written,
            (std::vector<std::string>{temp.file("scan1.png"), temp.file("scan2.png")}));
  // The first page is black on its left half, the second on its bottom half.
  EXPECT_EQ(PilSummary(png.written[0]), "625 469 RGB 150.0 150.0 0 255\n");
  EXPECT_EQ(PilSummary(png.written[1]), "625 469 RGB 150.0 150.0 255 255\n");
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string data = ReadFile(png.written[i]);
    // 150 dpi is 5906 pixels per metre, unit 1 (metre), on both axes.
    const size_t phys = data.find("pHYs");
    ASSERT_NE(phys, std::string::npos);
    EXPECT_EQ(data.substr(phys + 4, 9), std::string("\0\0\x17\x12\0\0\x17\x12\1", 9));
    const auto lossless = DecodePng(data);
    const auto lossy = testing_support::PixelsOf(pdf::DecodeJpeg(ReadFile(jpeg.written[i])));
    ASSERT_EQ(lossless.size(), lossy.size());
    double difference = 0;
    for (size_t p = 0; p < lossy.size(); ++p)
      difference +=
          std::abs(int(platform::ColorGreen(lossless[p])) - int(platform::ColorGreen(lossy[p])));
    EXPECT_LT(difference / lossy.size(), 1.0) << png.written[i];
  }
}

// tiffinfo's word on each page of a TIFF file, one line a page.
std::vector<std::string> TiffPages(const std::string& file) {
  const std::string info = CommandOutput("tiffinfo '" + file + "' 2>&1").value_or("");
  std::vector<std::string> pages;
  const std::regex field(
      "Bits/Sample: \\d+|Compression Scheme: [^\\n]+|Photometric Interpretation: [^\\n]+|"
      "Resolution: [^\\n]+|Image Width: \\d+ Image Length: \\d+|Samples/Pixel: \\d+");
  for (size_t at = info.find("TIFF Directory"); at != std::string::npos;) {
    const size_t next = info.find("TIFF Directory", at + 1);
    const std::string page = info.substr(at, next - at);
    std::string summary;
    for (std::sregex_iterator it(page.begin(), page.end(), field), end; it != end; ++it)
      summary += (summary.empty() ? "" : "; ") + it->str();
    pages.push_back(summary);
    at = next;
  }
  return pages;
}

// Colours keep their channels: a red page is red in the JPEG and PNG pages
// (the rasterizer's rows are blue first).
TEST(PictureOutputs, redStaysRed) {
  TempFolder temp;
  const std::string page = temp.file("red.emf");
  emfbuild::EmfBuilder(200, 100)
      .createBrushIndirect(1, 0, 0x0000FF)
      .selectObject(1)
      .rectangle({0, 0, 200, 100})
      .writeFile(page);
  const app::RasterResolution resolution{48, 48, "test"};
  const auto png = app::WritePngPages({page}, temp.file("red.png"), resolution);
  const auto jpeg = app::WriteJpegPages({page}, temp.file("red.jpg"), resolution);
  const auto pngPixels = DecodePng(ReadFile(png.written.front()));
  const platform::TBitmap jpegPixels = pdf::DecodeJpeg(ReadFile(jpeg.written.front()));
  const int width = jpegPixels.Width();
  const int height = jpegPixels.Height();
  ASSERT_EQ(pngPixels.size(), size_t(width) * height);
  for (const platform::TColor color : {pngPixels[size_t(height / 2) * width + width / 2],
                                       jpegPixels.Pixel(width / 2, height / 2)}) {
    EXPECT_GT(platform::ColorRed(color), 240);
    EXPECT_LT(platform::ColorBlue(color), 16);
  }
}

// One file of every page for each colour setting: the resolution and the
// compression on every page, black and white really 1-bit Group 4, 0 white.
TEST(TiffDocument, everyColourSettingGivesOneFileOfAllPages) {
  RequireTools();
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  const struct {
    platform::TiffColors colors;
    const char* page;
    const char* pil;
  } kCases[] = {
      {platform::TiffColors::Color,
       "Image Width: 625 Image Length: 469; Resolution: 150, 150 pixels/inch; Bits/Sample: 8; "
       "Compression Scheme: AdobeDeflate; Photometric Interpretation: RGB color; "
       "Samples/Pixel: 3",
       "RGB"},
      {platform::TiffColors::Grey,
       "Image Width: 625 Image Length: 469; Resolution: 150, 150 pixels/inch; Bits/Sample: 8; "
       "Compression Scheme: AdobeDeflate; Photometric Interpretation: min-is-black; "
       "Samples/Pixel: 1",
       "L"},
      {platform::TiffColors::BlackAndWhite,
       "Image Width: 625 Image Length: 469; Resolution: 150, 150 pixels/inch; Bits/Sample: 1; "
       "Compression Scheme: CCITT Group 4; Photometric Interpretation: min-is-white; "
       "Samples/Pixel: 1",
       "1"},
  };
  for (const auto& c : kCases) {
    const std::string file = temp.file("fax.tif");
    const auto result =
        app::WriteTiffDocument({pages[0], pages[1], pages[0]}, file, {150, 150, "test"}, c.colors);
    EXPECT_EQ(result.written, std::vector<std::string>{file});
    EXPECT_EQ(TiffPages(file), std::vector<std::string>(3, c.page));
    const std::string size = std::string("625 469 ") + c.pil + " 150.0 150.0 ";
    EXPECT_EQ(PilSummary(file), size + "0 255\n" + size + "255 255\n" + size + "0 255\n") << c.pil;
  }
}

// A page that fails leaves no file and the document that was there as it was.
TEST(TiffDocument, failingPage_leavesNothing) {
  TempFolder temp;
  const auto pages = testing_support::WriteTwoDistinctPages(temp.path());
  const std::string broken = temp.file("broken.emf");
  testing_support::WriteFile(broken, std::string(200, 'x'));
  testing_support::WriteFile(temp.file("fax.tif"), "old fax");
  const auto before = testing_support::Listing(temp.path());
  try {
    app::WriteTiffDocument({pages[0], broken}, temp.file("fax.tif"), {96, 96, "test"},
                           platform::TiffColors::BlackAndWhite);
    ADD_FAILURE() << "a document with a broken page succeeded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(temp.file("fax.tif") + " (page 2 of 2): " + broken),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(testing_support::Listing(temp.path()), before);
  EXPECT_EQ(ReadFile(temp.file("fax.tif")), "old fax");
}

// Bytes of a document as they reach the sink, which may fail.
class RecordingSink : public platform::TiffSink {
 public:
  void Append(std::string_view bytes) override {
    if (failAfter >= 0 && bytes_.size() + bytes.size() > size_t(failAfter))
      throw std::runtime_error("No space left on device");
    bytes_.append(bytes);
  }
  void Overwrite(uint64_t offset, std::string_view bytes) override {
    ASSERT_LE(offset + bytes.size(), bytes_.size());
    bytes_.replace(offset, bytes.size(), bytes);
  }
  const std::string& bytes() const { return bytes_; }
  long failAfter = -1;

 private:
  std::string bytes_;
};

// Each page leaves for the sink as it is added, however many there are, and
// the pages stay linked; a failing sink's reason reaches the caller.
TEST(TiffDocument, pagesReachTheSinkOneByOne) {
  RequireTools();
  TempFolder temp;
  platform::TBitmap page(300, 200, platform::TPixelFormat::pf24bit);
  RecordingSink sink;
  {
    platform::TiffDocument document(sink, platform::TiffColors::Grey);
    size_t before = sink.bytes().size();
    for (int number = 1; number <= 40; ++number) {
      page.Fill(number % 2 ? platform::kWhite : platform::MakeColor(0, number * 6, 0));
      document.AddPage(page, 72, 72, number, 40);
      EXPECT_GT(sink.bytes().size(), before) << number;
      before = sink.bytes().size();
    }
    document.Finish();
  }
  testing_support::WriteFile(temp.file("many.tif"), sink.bytes());
  EXPECT_EQ(TiffPages(temp.file("many.tif")).size(), 40u);

  RecordingSink full;
  full.failAfter = 5000;
  platform::TiffDocument document(full, platform::TiffColors::Color);
  try {
    for (int number = 1; number <= 10; ++number) document.AddPage(page, 72, 72, number, 10);
    ADD_FAILURE() << "a full disk went unnoticed";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos)
        << error.what();
  }
}

// Silent mode makes each picture output (through the desktop program), the
// TIFF document in the stored colours; a colour setting of the wrong type
// is refused naming it, before anything is made.
TEST(SilentPictures, eachFormatMakesItsFiles) {
  RequireTools();
  testing_support::SilentJob job;
  job.WritePages(testing_support::WriteTwoDistinctPages(job.folder().path()));
  const std::string tiffKey =
      "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\TIFFFormatOptions]\n";
  const struct {
    const char* format;
    std::string tiffColors;
    int status;
    std::vector<std::string> files;
  } kCases[] = {
      {"TIF", "\"TIFFColors\"=\"2\"\n", 2, {}},
      {"png", "", 0, {"Printer1.png", "Printer2.png"}},
      {"jpg", "", 0, {"Printer1.jpg", "Printer2.jpg", "Printer1.png", "Printer2.png"}},
      {"TIF",
       "\"TIFFColors\"=dword:00000002\n",
       0,
       {"Printer.tif", "Printer1.jpg", "Printer2.jpg", "Printer1.png", "Printer2.png"}},
  };
  for (const auto& c : kCases) {
    job.WriteSettings(std::string(testing_support::SilentJob::kMainKeyLine) +
                      "\"Silent\"=dword:00000001\n\"OutputFileFormat\"=\"" + c.format + "\"\n" +
                      (c.tiffColors.empty() ? "" : tiffKey + c.tiffColors));
    const auto result = job.Run({"CUPS_SERVER=127.0.0.1:9", "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(result.exitStatus, c.status) << c.format << result.standardError;
    auto files = c.files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(testing_support::Listing(job.documents()), files) << c.format;
    if (c.status != 0) {
      EXPECT_NE(result.standardError.find("\"TIFFColors\""), std::string::npos)
          << result.standardError;
    }
  }
  // No printer: the pages' reference device gives 96 dpi.
  EXPECT_EQ(TiffPages(job.documents() + "/Printer.tif"),
            std::vector<std::string>(
                2,
                "Image Width: 400 Image Length: 300; Resolution: 96, 96 pixels/inch; "
                "Bits/Sample: 1; Compression Scheme: CCITT Group 4; Photometric "
                "Interpretation: min-is-white; Samples/Pixel: 1"));
}

}  // namespace
