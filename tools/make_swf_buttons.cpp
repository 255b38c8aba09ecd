// Draws the default navigation buttons of movies into a folder:
// first.bmp, previous.bmp, next.bmp and last.bmp, 28 x 28 pixels, a dark
// disc with a white arrow on pure magenta, which movies leave transparent.
//   make_swf_buttons FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 28;

struct Rgb {
  uint8_t r, g, b;
};

void Put16(std::string& out, uint32_t v) { out += {char(v & 0xFF), char(v >> 8 & 0xFF)}; }
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A 24-bit bottom-up BMP.
std::string Bmp(const std::vector<Rgb>& pixels) {
  const uint32_t stride = (kSize * 3 + 3) & ~3u;
  const uint32_t bits = stride * kSize;
  std::string out = "BM";
  Put32(out, 54 + bits);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, kSize);
  Put32(out, kSize);
  Put16(out, 1);
  Put16(out, 24);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; ++x) {
      const Rgb& p = pixels[y * kSize + x];
      out += {char(p.b), char(p.g), char(p.r)};
    }
    out.append(stride - kSize * 3, '\0');
  }
  return out;
}

// Inside the triangle pointing right (or left) with its tip at tipX.
bool InArrow(double x, double y, double tipX, bool right) {
  const double baseX = right ? tipX - 8 : tipX + 8;
  const double along = right ? (x - baseX) / 8 : (baseX - x) / 8;
  return along >= 0 && along <= 1 && std::fabs(y - kSize / 2.0) <= 6 * (1 - along);
}

std::vector<Rgb> Button(bool right, bool bar) {
  std::vector<Rgb> pixels(kSize * kSize, Rgb{255, 0, 255});
  const double middle = (kSize - 1) / 2.0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      if (std::hypot(x - middle, y - middle) > kSize / 2.0 - 0.5) continue;
      const double tip = bar ? (right ? 17.5 : 9.5) : (right ? 18.5 : 8.5);
      bool white = InArrow(x, y, tip, right);
      if (bar)
        white =
            white || ((right ? x == 19 || x == 20 : x == 7 || x == 8) && std::abs(y - middle) <= 6);
      pixels[y * kSize + x] = white ? Rgb{255, 255, 255} : Rgb{60, 64, 67};
    }
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const struct {
    const char* name;
    bool right;
    bool bar;
  } kButtons[] = {{"first.bmp", false, true},
                  {"previous.bmp", false, false},
                  {"next.bmp", true, false},
                  {"last.bmp", true, true}};
  for (const auto& button : kButtons) {
    std::ofstream out(std::string(argv[1]) + "/" + button.name, std::ios::binary);
    out << Bmp(Button(button.right, button.bar));
    if (!out) return 1;
  }
  return 0;
}
