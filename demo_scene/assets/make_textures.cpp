// Draws the demo's three texture files, the same bytes on every run:
//   stoneblocks.bmp  256 x 256, 24-bit BMP: a floor of stone blocks that tiles
//   fuoco8.bmp       256 x 64, 24-bit BMP: 8 flame cells of 32 x 64 side by
//                    side on black, a dark-to-bright ramp for additive blending
//   rete00_1.tga     128 x 128, 32-bit run-length TGA: a wire net whose holes
//                    have alpha 0
// usage: make_textures OUTPUT-FOLDER
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgba {
  double r, g, b, a;
};

// An image with rows top-down, channels 0..255.
struct Image {
  int width;
  int height;
  std::vector<Rgba> pixels;
  Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}
  Rgba& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

std::uint8_t byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// ---- Deterministic noise that tiles with its period ----

std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^ static_cast<std::uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

double unit(std::uint32_t h) { return (h & 0xFFFFFF) / double(0x1000000); }

int wrap(int v, int period) { return ((v % period) + period) % period; }

// Value noise in [0, 1) on a lattice that repeats every `period` cells.
double noise(double x, double y, int period, std::uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x));
  const int iy = static_cast<int>(std::floor(y));
  const double fx = x - ix, fy = y - iy;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  auto corner = [&](int dx, int dy) { return unit(hash(wrap(ix + dx, period), wrap(iy + dy, period), seed)); };
  const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
  const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
  return top + (bottom - top) * sy;
}

double fractal(double x, double y, int period, int octaves, std::uint32_t seed) {
  double sum = 0, amplitude = 0.5, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * noise(x, y, period, seed + static_cast<std::uint32_t>(o));
    total += amplitude;
    x *= 2, y *= 2, period *= 2, amplitude *= 0.5;
  }
  return sum / total;
}

// ---- The pictures ----

Image stone_blocks() {
  constexpr int kSize = 256, kBlockW = 64, kBlockH = 32, kMortar = 3;
  Image image(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    const int row = y / kBlockH;
    const int shift = (row % 2) * (kBlockW / 2);  // running bond
    for (int x = 0; x < kSize; ++x) {
      const int sx = (x + shift) % kSize;
      const int column = sx / kBlockW;
      const int lx = sx % kBlockW, ly = y % kBlockH;
      const double grain = fractal(x / 16.0, y / 16.0, kSize / 16, 4, 7);
      const double speckle = unit(hash(x, y, 99)) - 0.5;
      Rgba& p = image.at(x, y);
      if (lx < kMortar || ly < kMortar) {
        const double m = 62 + 30 * grain + 8 * speckle;
        p = {m, m * 0.96, m * 0.9, 255};
        continue;
      }
      const std::uint32_t block = hash(row, column, 3);
      const double tone = 112 + 48 * unit(block);
      const double warmth = 14 * (unit(block >> 8) - 0.5);
      const double weathering = fractal(x / 8.0, y / 8.0, kSize / 8, 3, 11 + (block & 7));
      double v = tone * (0.78 + 0.45 * grain) + 22 * (weathering - 0.5) + 10 * speckle;
      // Bevelled edges catch the light from the top left.
      const int to_left = lx - kMortar, to_top = ly - kMortar;
      const int to_right = kBlockW - 1 - lx, to_bottom = kBlockH - 1 - ly;
      if (std::min(to_left, to_top) < 3) v += 26.0 * (3 - std::min(to_left, to_top)) / 3.0;
      if (std::min(to_right, to_bottom) < 3) v -= 34.0 * (3 - std::min(to_right, to_bottom)) / 3.0;
      p = {v + warmth, v * 0.97, v * 0.9 - warmth, 255};
    }
  }
  return image;
}

Rgba fire_ramp(double heat) {
  // Dim on purpose: the nine panels add up where they overlap, so a few
  // layers of orange reach yellow and white only in the fire's core.
  static const std::array<Rgba, 5> kStops = {
      Rgba{0, 0, 0, 255}, Rgba{22, 3, 0, 255}, Rgba{56, 14, 1, 255}, Rgba{84, 34, 5, 255}, Rgba{104, 62, 22, 255}};
  heat = std::clamp(heat, 0.0, 1.0) * (kStops.size() - 1);
  const auto i = std::min(static_cast<std::size_t>(heat), kStops.size() - 2);
  const double f = heat - static_cast<double>(i);
  const Rgba& a = kStops[i];
  const Rgba& b = kStops[i + 1];
  return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, 255};
}

Image fire_sheet() {
  constexpr int kCells = 8, kCellW = 32, kCellH = 64;
  Image image(kCells * kCellW, kCellH);
  for (int cell = 0; cell < kCells; ++cell) {
    for (int y = 0; y < kCellH; ++y) {
      const double h = (kCellH - 1 - y) / double(kCellH - 1);  // 0 at the base, 1 at the top
      for (int x = 0; x < kCellW; ++x) {
        // The noise scrolls up one full period over the eight cells, so the
        // last cell leads back into the first.
        const double scroll = (y + cell * 8.0) / 8.0;
        const double swirl = fractal(x / 8.0, scroll, 8, 3, 21);
        const double flicker = fractal(x / 6.0 + 3.0, (y + cell * 8.0) / 6.0, 64, 2, 33);
        const double u = (x + 0.5 - kCellW / 2.0) / (kCellW / 2.0) + 0.55 * (swirl - 0.5) * h;
        // Narrow at the very base too, so the flame sits on a rounded foot.
        const double foot = std::min(1.0, 0.45 + h * 6.0);
        const double width = (0.92 * std::pow(1.0 - h, 0.65) + 0.04) * foot;
        const double envelope = std::clamp(1.0 - std::abs(u) / width, 0.0, 1.0);
        double heat = envelope * (0.45 + 0.75 * flicker) * (1.0 - 0.55 * h) + 0.25 * (1.0 - h) * envelope;
        heat = std::pow(std::clamp(heat, 0.0, 1.0), 1.15);
        image.at(cell * kCellW + x, y) = fire_ramp(heat);
      }
    }
  }
  return image;
}

Image wire_net() {
  constexpr int kSize = 128, kMesh = 32;
  constexpr double kHalfWire = 2.1;
  Image image(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      // Two families of diagonal wires make a chain-link diamond mesh.
      const double a = std::fmod(x + y + 0.5 + 2.0 * kSize, kMesh);
      const double b = std::fmod(x - y + 0.5 + 2.0 * kSize, kMesh);
      const double da = std::min(a, kMesh - a) / std::sqrt(2.0);
      const double db = std::min(b, kMesh - b) / std::sqrt(2.0);
      const double d = std::min(da, db);
      const double coverage = std::clamp(kHalfWire + 0.5 - d, 0.0, 1.0);
      const double round = std::cos(std::min(d / (kHalfWire + 0.5), 1.0) * kPi / 2);
      const bool crossing = da < kHalfWire + 1 && db < kHalfWire + 1;
      const double rust = fractal(x / 16.0, y / 16.0, kSize / 16, 3, 51);
      const double shine = (crossing ? 110 : 130) + 90 * round;
      // Galvanised steel, with patches of rust.
      const double rusty = std::clamp((rust - 0.55) * 3.0, 0.0, 1.0);
      image.at(x, y) = {shine * (0.9 + 0.2 * rusty), shine * (0.93 - 0.1 * rusty), shine * (1.0 - 0.3 * rusty),
                        coverage * 255};
    }
  }
  return image;
}

// ---- Files ----

void put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, unsigned v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// The plain layout: file header, 40-byte info header, 24-bit rows bottom-up.
std::vector<std::uint8_t> bmp24(Image& image) {
  const unsigned stride = (static_cast<unsigned>(image.width) * 3 + 3) & ~3u;
  const unsigned pixels = stride * static_cast<unsigned>(image.height);
  std::vector<std::uint8_t> out;
  out.push_back('B'), out.push_back('M');
  put32(out, 54 + pixels), put32(out, 0), put32(out, 54);
  put32(out, 40), put32(out, static_cast<unsigned>(image.width)), put32(out, static_cast<unsigned>(image.height));
  put16(out, 1), put16(out, 24), put32(out, 0), put32(out, pixels), put32(out, 2835), put32(out, 2835);
  put32(out, 0), put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgba& p = image.at(x, y);
      out.push_back(byte(p.b)), out.push_back(byte(p.g)), out.push_back(byte(p.r));
    }
    out.resize(out.size() + (stride - static_cast<unsigned>(image.width) * 3), 0);
  }
  return out;
}

// Type 10, 32 bits, rows bottom-up, packets free to cross rows.
std::vector<std::uint8_t> tga32_rle(Image& image) {
  std::vector<std::uint8_t> out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put16(out, static_cast<unsigned>(image.width)), put16(out, static_cast<unsigned>(image.height));
  out.push_back(32), out.push_back(0x08);  // 8 alpha bits, bottom-left origin
  std::vector<std::array<std::uint8_t, 4>> stream;
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgba& p = image.at(x, y);
      stream.push_back({byte(p.b), byte(p.g), byte(p.r), byte(p.a)});
    }
  }
  std::size_t i = 0;
  while (i < stream.size()) {
    std::size_t run = 1;
    while (i + run < stream.size() && run < 128 && stream[i + run] == stream[i]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
      out.insert(out.end(), stream[i].begin(), stream[i].end());
      i += run;
      continue;
    }
    std::size_t raw = 1;
    while (i + raw < stream.size() && raw < 128 &&
           !(i + raw + 1 < stream.size() && stream[i + raw] == stream[i + raw + 1])) {
      ++raw;
    }
    out.push_back(static_cast<std::uint8_t>(raw - 1));
    for (std::size_t k = 0; k < raw; ++k) out.insert(out.end(), stream[i + k].begin(), stream[i + k].end());
    i += raw;
  }
  return out;
}

bool save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_textures OUTPUT-FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  Image stone = stone_blocks();
  Image fire = fire_sheet();
  Image net = wire_net();
  const bool ok = save(folder / "stoneblocks.bmp", bmp24(stone)) && save(folder / "fuoco8.bmp", bmp24(fire)) &&
                  save(folder / "rete00_1.tga", tga32_rle(net));
  if (!ok) {
    std::fprintf(stderr, "make_textures: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
