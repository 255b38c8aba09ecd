#include "app/convert_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/path_rules.h"
#include "app/pdf_conversion.h"
#include "emf2pdf/emf2pdf_converter.h"
#include "emf2pdf/raster_compositor.h"
#include "emf2pdf/raster_prescan.h"
#include "emf2pdf/record_trace.h"
#include "pdf/aes_crypto.h"
#include "platform/folders.h"

namespace app {

namespace {

constexpr int kFailed = 2;

struct OutputEntry {
  const char* extension;
  ConvertFormat format;
  bool filePerPage;  // JPEG and PNG pages: standard output takes only one
};

constexpr OutputEntry kOutputs[] = {
    {"pdf", ConvertFormat::Pdf, false},  {"jpg", ConvertFormat::Jpeg, true},
    {"jpeg", ConvertFormat::Jpeg, true}, {"png", ConvertFormat::Png, true},
    {"tif", ConvertFormat::Tiff, false}, {"tiff", ConvertFormat::Tiff, false},
    {"swf", ConvertFormat::Swf, false},
};

bool ToStandardOutput(const ConvertArguments& arguments) { return arguments.output == "-"; }

// The output's kind: --format, else the output's extension; PDF for
// standard output without --format.
const OutputEntry& OutputFor(const ConvertArguments& arguments) {
  std::string kind = arguments.format;
  if (kind.empty()) {
    const std::string extension = ExtractFileExt(arguments.output);
    kind = ToStandardOutput(arguments) ? "pdf"
                                       : LowerCase(extension.empty() ? "" : extension.substr(1));
  }
  for (const OutputEntry& entry : kOutputs)
    if (kind == entry.extension) return entry;
  throw ConvertUsageError(
      (arguments.format.empty() ? "The output " + arguments.output + " has"
                                : "--format " + arguments.format + " is") +
      " no kind this program makes: .pdf, .jpg, .jpeg, .png, .tif, .tiff or .swf");
}

// A file in the temporary folder, removed when the run ends however it
// ends short of a kill.
class ScratchPath {
 public:
  ScratchPath() = default;
  ~ScratchPath() {
    if (!path_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(path_, ignored);
    }
  }
  ScratchPath(const ScratchPath&) = delete;
  ScratchPath& operator=(const ScratchPath&) = delete;

  // A new empty file; returns its descriptor.
  int MakeFile(const std::string& stem) {
    std::string pattern = platform::TemporaryFolder() + stem + "XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("Cannot create a file in " + platform::TemporaryFolder());
    path_ = pattern;
    return fd;
  }
  void MakeFolder(const std::string& stem) {
    std::string pattern = platform::TemporaryFolder() + stem + "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("Cannot create a folder in " + platform::TemporaryFolder());
    path_ = pattern;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteAll(int fd, const char* data, size_t size, const std::string& what) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("Cannot write " + what + ": " + std::strerror(errno));
    data += n;
    size -= static_cast<size_t>(n);
  }
}

// Standard input, copied into a temporary file so that its pages can be
// found and read like any file's.
void CopyStandardInput(ScratchPath& scratch) {
  const int fd = scratch.MakeFile("tallowcraft-input-");
  std::vector<char> buffer(1 << 16);
  try {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0)
        throw std::runtime_error(std::string("Cannot read standard input: ") +
                                 std::strerror(errno));
      if (n == 0) break;
      WriteAll(fd, buffer.data(), static_cast<size_t>(n), scratch.path());
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}

void CopyToStandardOutput(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("Cannot read " + file);
  std::vector<char> buffer(1 << 16);
  try {
    for (;;) {
      const ssize_t n = ::read(fd, buffer.data(), buffer.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw std::runtime_error("Cannot read " + file);
      if (n == 0) break;
      WriteAll(STDOUT_FILENO, buffer.data(), static_cast<size_t>(n), "to standard output");
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}

// A one-line bar on standard error: pages done of all and pages per second.
// Redrawn at most ten times a second, so that it costs nothing beside the
// pages.
class ProgressBar {
 public:
  ProgressBar(size_t total, bool shown) : total_(total), shown_(shown) {}
  ~ProgressBar() {
    if (shown_ && drawn_) std::fputc('\n', stderr);
  }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Step() {
    ++done_;
    if (!shown_) return;
    const auto now = Clock::now();
    if (done_ < total_ && drawn_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
    lastDrawn_ = now;
    drawn_ = true;
    constexpr int kWidth = 30;
    const int filled = total_ == 0 ? kWidth : static_cast<int>(kWidth * done_ / total_);
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "\r[%s%s] %zu/%zu pages, %.1f pages/s", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), done_, total_,
                 seconds > 0 ? done_ / seconds : 0.0);
    std::fflush(stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;
  size_t total_;
  size_t done_ = 0;
  bool shown_;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastDrawn_;
};

// A page's failure named by its page, unless the message names it already.
[[noreturn]] void RethrowNamed(const emf2pdf::PageSource& page, const std::exception& error) {
  const std::string what = error.what();
  if (what.find(page.label) != std::string::npos) throw std::runtime_error(what);
  throw std::runtime_error(page.label + ": " + what);
}

std::vector<std::string> WritePdf(const ConvertJob& job) {
  emf2pdf::TEMF2PDFConverter converter;
  converter.SetFileName(job.outputName);
  ApplyPdfOptions(job.arguments.pdf, std::nullopt, converter);
  // Nothing replaces the file of that name until the document is complete.
  converter.BeginDoc();
  try {
    for (const emf2pdf::PageSource& page : job.pages) {
      try {
        converter.DrawPage(emf2pdf::LoadPage(page), page.label, page.paper);
      } catch (const std::exception& error) {
        RethrowNamed(page, error);
      }
      if (job.afterPage) job.afterPage();
    }
    converter.EndDoc();
  } catch (...) {
    if (converter.Active()) converter.Abort();
    throw;
  }
  return {job.outputName};
}

// Lists the records of a spool file that were read past (fonts above all),
// as --verbose asks.
void ListSkipped(const std::string& file, const emf2pdf::EmfSpool& spool) {
  for (const emf2pdf::SpoolRecordNote& note : spool.skipped)
    std::fprintf(stderr, "tallowcraft: %s: %s at byte %ju skipped\n", file.c_str(),
                 emf2pdf::SpoolRecordName(note.type).c_str(), static_cast<uintmax_t>(note.offset));
  if (spool.skippedCount > spool.skipped.size())
    std::fprintf(stderr, "tallowcraft: %s: %zu more records skipped\n", file.c_str(),
                 spool.skippedCount - spool.skipped.size());
}

std::vector<emf2pdf::PageSource> InputPages(const ConvertArguments& arguments,
                                            ScratchPath& standardInput) {
  const bool verbose = emf2pdf::TraceModeFromEnvironment() != emf2pdf::TraceMode::kOff;
  std::vector<emf2pdf::PageSource> pages;
  for (const std::string& input : arguments.inputs) {
    std::string path = input;
    std::string name;
    if (input == "-") {
      if (standardInput.path().empty()) CopyStandardInput(standardInput);
      path = standardInput.path();
      name = "standard input";
    }
    auto more =
        emf2pdf::PagesOfFile(path, emf2pdf::OtherInput::Refuse,
                             verbose ? emf2pdf::SkippedRecords(ListSkipped) : nullptr, name);
    pages.insert(pages.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
  }
  return pages;
}

int Convert(const ConvertArguments& arguments, const RasterWriterFor& raster) {
  const OutputEntry& output = OutputFor(arguments);
  const bool toStandardOutput = ToStandardOutput(arguments);
  if (arguments.html && output.format != ConvertFormat::Swf)
    throw ConvertUsageError("--html goes with a movie (.swf) only");
  if (arguments.html && toStandardOutput)
    throw ConvertUsageError("--html needs a movie file to stand beside, not standard output");
  // Before any input is read: the desktop program may take over the run.
  const bool pdf = output.format == ConvertFormat::Pdf;
  const ConvertWriter writer = pdf ? ConvertWriter(WritePdf) : raster(output.format);
  // Raster operations that combine with the page are drawn through the page
  // rasterizer: asking for the PDF writer's raster hook installs it, or
  // hands the run to the desktop program, which has it. Standard input can
  // be read only once, so it is asked for before reading it.
  const auto needRasterizer = [&] {
    if (pdf && emf2pdf::InstalledPageRasterizer() == nullptr) raster(ConvertFormat::Pdf);
  };
  if (std::find(arguments.inputs.begin(), arguments.inputs.end(), "-") != arguments.inputs.end())
    needRasterizer();

  // libcrypto starts while the inputs are read and examined.
  if (pdf && EncryptsWithAes(arguments.pdf)) pdf::PrepareCrypto();
  ScratchPath standardInput;
  const std::vector<emf2pdf::PageSource> pages = InputPages(arguments, standardInput);
  if (pdf && emf2pdf::PagesNeedRasterCompositor(pages, arguments.pdf.pdfaCompliance != kPdfA1b))
    needRasterizer();
  if (toStandardOutput && output.filePerPage && pages.size() != 1)
    throw ConvertUsageError("Standard output takes one file; " + std::to_string(pages.size()) +
                            " pages make " + std::to_string(pages.size()) + " files");

  ScratchPath outputFolder;
  std::string outputName = arguments.output;
  if (toStandardOutput) {
    outputFolder.MakeFolder("tallowcraft-output-");
    outputName = outputFolder.path() + "/output." + output.extension;
  }
  ProgressBar progress(pages.size(), !arguments.quiet && ::isatty(STDERR_FILENO) == 1);
  const ConvertJob job{pages, outputName, arguments, [&progress] { progress.Step(); }};
  const std::vector<std::string> written = writer(job);
  if (toStandardOutput && !written.empty()) CopyToStandardOutput(written.front());
  return 0;
}

}  // namespace

int RunConvert(const std::vector<std::string>& arguments, const RasterWriterFor& raster) {
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(kConvertUsage, stdout);
    return 0;
  }
  try {
    return Convert(ParseConvertArguments(arguments), raster);
  } catch (const ConvertUsageError& error) {
    std::fprintf(stderr, "tallowcraft convert: %s\nSee tallowcraft --help.\n", error.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tallowcraft: %s\n", error.what());
  }
  return kFailed;
}

}  // namespace app
