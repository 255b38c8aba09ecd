#include <gtest/gtest.h>
#include <unistd.h>

#include "support/graphics_test_support.h"
#include "support/temp_folder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace graphics_test {

TempPdf::TempPdf(const std::string& stem) {
  static int counter = 0;
  path_ = (std::filesystem::temp_directory_path() /
           (stem + "_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + ".pdf"))
              .string();
}

TempPdf::~TempPdf() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

std::string TempPdf::Read() const {
  std::ifstream in(path_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ContentLines(const pdf::TPDFPage& page) {
  std::vector<std::string> lines;
  const std::string& text = page.Content();
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (!lines.empty() && lines.front() == "q") lines.erase(lines.begin());
  return lines;
}

int RunCommand(const std::string& command, std::string* output) {
  return testing_support::RunCommand(command + " 2>&1", output);
}

bool ToolAvailable(const std::string& tool) { return testing_support::HaveTool(tool); }

::testing::AssertionResult QpdfCheckClean(const std::string& path) {
  std::string report;
  const int status = RunCommand("qpdf --check '" + path + "'", &report);
  if (status != 0 || report.find("WARNING") != std::string::npos)
    return ::testing::AssertionFailure() << "qpdf --check exit " << status << ":\n" << report;
  return ::testing::AssertionSuccess();
}

bool RenderPixel(const std::string& pdfPath, int dpi, int x, int y, Rgb* pixel) {
  const std::string stem = pdfPath + "_render";
  const std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f 1 -l 1 -x " +
                              std::to_string(x) + " -y " + std::to_string(y) +
                              " -W 1 -H 1 -singlefile '" + pdfPath + "' '" + stem + "'";
  if (RunCommand(command) != 0) return false;
  std::ifstream in(stem + ".ppm", std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  unsigned char rgb[3] = {};
  in.read(reinterpret_cast<char*>(rgb), 3);
  const bool ok = magic == "P6" && width == 1 && height == 1 && in.gcount() == 3;
  std::filesystem::remove(stem + ".ppm");
  if (ok) *pixel = {rgb[0], rgb[1], rgb[2]};
  return ok;
}

void FakePlayer::Play() {
  ++plays;
  if (form_ == nullptr || !drawRectangle) return;
  form_->SetRGBFillColor(0, 0, 1);
  form_->Rectangle(0, 0, form_->WidthPx(), form_->HeightPx());
  form_->Fill();
}

}  // namespace graphics_test
