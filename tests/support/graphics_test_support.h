#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/document.h"
#include "pdf/metafile_player.h"
#include "pdf/page.h"

namespace graphics_test {

// A fresh path under the temporary folder, removed when the object goes.
class TempPdf {
 public:
  explicit TempPdf(const std::string& stem);
  ~TempPdf();
  const std::string& Path() const { return path_; }
  std::string Read() const;

 private:
  std::string path_;
};

// The content lines of a page after its opening "q".
std::vector<std::string> ContentLines(const pdf::TPDFPage& page);

// Runs a shell command; returns its exit status and fills `output` with
// stdout and stderr together.
int RunCommand(const std::string& command, std::string* output = nullptr);
bool ToolAvailable(const std::string& tool);

// qpdf --check: exit 0 and no "WARNING" in its report.
::testing::AssertionResult QpdfCheckClean(const std::string& path);

// The RGB of one pixel of the first page rendered at `dpi`, (x, y) from the top left.
struct Rgb {
  int r = 0, g = 0, b = 0;
};
bool RenderPixel(const std::string& pdfPath, int dpi, int x, int y, Rgb* pixel);

// Stands in for the metafile interpreter: reports a fixed extent and draws a
// given set of operations on the form.
class FakePlayer : public pdf::TPDFMetafilePlayer {
 public:
  FakePlayer(double width, double height) : extent_{width, height} {}
  Extent Load(pdf::TPDFPage& form) override {
    form_ = &form;
    ++loads;
    return extent_;
  }
  void Play() override;
  int loads = 0;
  int plays = 0;
  bool drawRectangle = true;

 private:
  Extent extent_;
  pdf::TPDFPage* form_ = nullptr;
};

}  // namespace graphics_test
