// Deflate levels on the streams of real output: the FlateDecode streams of
// a PDF (by default the program's PDF of the 20 ordinary corpus pages) are
// inflated and compressed again by zlib and by pdf::Deflate at each level,
// page contents, images and font programs apart. Prints bytes and time
// per level, the measurement behind the levels in pdf/deflate.h.
//
// Usage: bench_deflate_bench [file.pdf]
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/deflate.h"
#include "support/bench_job.h"

namespace fs = std::filesystem;

namespace {

struct Streams {
  std::vector<std::string> contents;  // page contents, forms, ToUnicode maps
  std::vector<std::string> images;    // "/Subtype /Image"
  std::vector<std::string> fonts;     // font programs ("/Length1")
};

std::string Inflate(std::string_view data) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  std::string out;
  char buffer[65536];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END ? out : std::string();
}

Streams StreamsOf(const std::string& pdf) {
  Streams streams;
  for (size_t at = pdf.find("/FlateDecode"); at != std::string::npos;
       at = pdf.find("/FlateDecode", at + 1)) {
    const size_t object = pdf.rfind(" obj", at);
    const size_t keyword = pdf.find("stream", at);
    if (keyword == std::string::npos) break;
    size_t data = keyword + 6;
    if (pdf.compare(data, 2, "\r\n") == 0)
      data += 2;
    else if (pdf[data] == '\n')
      data += 1;
    std::string raw = Inflate(std::string_view(pdf).substr(data));
    if (raw.empty()) continue;
    const std::string_view dictionary = std::string_view(pdf).substr(object, keyword - object);
    auto& kind = dictionary.find("/Length1") != std::string_view::npos          ? streams.fonts
                 : dictionary.find("/Subtype /Image") != std::string_view::npos ? streams.images
                                                                                : streams.contents;
    kind.push_back(std::move(raw));
  }
  return streams;
}

template <typename F>
void Report(const char* name, const std::vector<std::string>& streams, F compress) {
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  const int rounds = 3;
  for (int round = 0; round < rounds; ++round) {
    bytes = 0;
    for (const std::string& s : streams) bytes += compress(s);
  }
  const double ms =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 1e3 /
      rounds;
  std::printf("  %-16s %10zu bytes  %8.2f ms\n", name, bytes, ms);
}

size_t Zlib(const std::string& data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<Bytef> out(size);
  compress2(out.data(), &size, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), level);
  return size;
}

void ReportLevels(const char* kind, const std::vector<std::string>& streams) {
  size_t raw = 0;
  for (const std::string& s : streams) raw += s.size();
  std::printf("%s: %zu streams, %zu bytes\n", kind, streams.size(), raw);
  Report("zlib default", streams, [](const std::string& s) { return Zlib(s, -1); });
  Report("zlib 9", streams, [](const std::string& s) { return Zlib(s, 9); });
  for (int level = 1; level <= 12; ++level) {
    const std::string name = "libdeflate " + std::to_string(level);
    Report(name.c_str(), streams,
           [level](const std::string& s) { return pdf::Deflate(s, level).size(); });
  }
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  fs::path pdf;
  const fs::path folder =
      fs::temp_directory_path() / ("tallowcraft_deflate_" + std::to_string(getpid()));
  if (argc > 1) {
    pdf = argv[1];
  } else {
    const auto pages = bench::OrdinaryPages(bench::CorpusPages());
    if (pages.empty()) {
      std::printf("corpus not found: give a PDF\n");
      return 0;
    }
    bench::RunJob(folder, bench::WriteJob(folder, pages));
    pdf = bench::OutputOf(folder);
  }
  const Streams streams = StreamsOf(ReadFile(pdf));
  ReportLevels("page contents, forms, ToUnicode", streams.contents);
  ReportLevels("images", streams.images);
  ReportLevels("font programs", streams.fonts);
  fs::remove_all(folder);
  return 0;
}
