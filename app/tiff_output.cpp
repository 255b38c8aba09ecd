#include "app/tiff_output.h"

#include "app/registry_readers.h"
#include "pdf/output_file.h"
#include "platform/folders.h"

namespace app {

namespace {

class OutputFileSink : public platform::TiffSink {
 public:
  explicit OutputFileSink(pdf::OutputFile& file) : file_(file) {}
  void Append(std::string_view bytes) override { file_.write(bytes); }
  void Overwrite(uint64_t offset, std::string_view bytes) override {
    file_.overwrite(offset, bytes);
  }

 private:
  pdf::OutputFile& file_;
};

}  // namespace

platform::TiffColors ReadTiffColors(platform::RegistryStore& store) {
  const int64_t stored =
      RegistryReader(store, kTiffOptionsKey, Strictness::Strict).ReadInteger("TIFFColors", 0);
  switch (stored) {
    case 1:
      return platform::TiffColors::Grey;
    case 2:
      return platform::TiffColors::BlackAndWhite;
    default:
      return platform::TiffColors::Color;
  }
}

RasterRunResult WriteTiffDocument(const std::vector<emf2pdf::PageSource>& pages,
                                  const std::string& fileName, const RasterResolution& resolution,
                                  platform::TiffColors colors,
                                  const std::function<void()>& afterPage) {
  pdf::OutputFile file(fileName);  // discarded unless committed
  OutputFileSink sink(file);
  platform::TiffDocument document(sink, colors);
  const int count = static_cast<int>(pages.size());
  DrawEachPage(
      pages, resolution, [&fileName](int) { return fileName; },
      [&](DrawnPage& page, int number) {
        document.AddPage(page.bitmap, page.dpiX, page.dpiY, number, count);
      },
      afterPage);
  document.Finish();
  const bool existed = platform::FileExists(fileName);
  file.commit();
  RasterRunResult result;
  AddWritten(result, fileName, existed);
  return result;
}

}  // namespace app
