// The whole load of a texture file, from the file to decoded pixels in
// memory, against stb_image and SDL2 on the same files in the same run:
// TGA of types 2 and 10 at 24 and 32 bits, and a 24-bit BMP, at 1024 and
// 4096 pixels square. Figures are MB/s of decoded pixels; after the run a
// table gives each loader's speed over its peers' and over memcpy of the
// same bytes into a fresh block, the floor no loader can beat.
//
//   build-bench/bench/textures/texture_load_bench [--benchmark_min_time=1]
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stb_image.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/win32.h"
#include "sorvel/sorvel.h"

namespace {

namespace fs = std::filesystem;

// A picture like a texture's: blocks of flat colour, blocks of colour
// that steps every few pixels, and blocks of noise, as BGR(A) in file order.
std::vector<std::uint8_t> texture_picture(int side, int bytes_per_pixel) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * static_cast<std::size_t>(side) *
                                   static_cast<std::size_t>(bytes_per_pixel));
  std::mt19937 random(1234);
  constexpr int kBlock = 64;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const unsigned block = static_cast<unsigned>((y / kBlock) * 977 + (x / kBlock) * 131);
      std::uint8_t* p =
          &pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(side) + static_cast<std::size_t>(x)) *
                  static_cast<std::size_t>(bytes_per_pixel)];
      std::uint32_t colour = 0;
      switch (block % 10) {
        case 0:
        case 1:
        case 2:
        case 3:  // flat
          colour = block * 2654435761u;
          break;
        case 4:
        case 5:
        case 6:  // steps of 4 pixels
          colour = block * 2654435761u + static_cast<std::uint32_t>(x / 4) * 0x010203u;
          break;
        default:  // noise
          colour = static_cast<std::uint32_t>(random());
          break;
      }
      for (int i = 0; i < bytes_per_pixel; ++i) p[i] = static_cast<std::uint8_t>(colour >> (8 * i));
    }
  }
  return pixels;
}

// Run-length packets as a TGA writer makes them: a run for two or more
// equal pixels, raw stretches between, both up to 128 pixels, rows ignored.
std::vector<std::uint8_t> rle_packets(const std::vector<std::uint8_t>& pixels, std::size_t bytes_per_pixel) {
  const std::size_t count = pixels.size() / bytes_per_pixel;
  const auto same = [&](std::size_t a, std::size_t b) {
    return std::memcmp(&pixels[a * bytes_per_pixel], &pixels[b * bytes_per_pixel], bytes_per_pixel) == 0;
  };
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < count) {
    std::size_t run = 1;
    while (i + run < count && run < 128 && same(i, i + run)) ++run;
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
      out.insert(out.end(), &pixels[i * bytes_per_pixel], &pixels[(i + 1) * bytes_per_pixel]);
      i += run;
      continue;
    }
    std::size_t raw = 1;
    while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1))) ++raw;
    out.push_back(static_cast<std::uint8_t>(raw - 1));
    out.insert(out.end(), &pixels[i * bytes_per_pixel], &pixels[(i + raw) * bytes_per_pixel]);
    i += raw;
  }
  return out;
}

void write_file(const fs::path& path, const std::vector<std::uint8_t>& head, const std::vector<std::uint8_t>& body) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  out.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
}

std::vector<std::uint8_t> tga_header(std::uint8_t type, int side, int bits) {
  const auto lo = static_cast<std::uint8_t>(side), hi = static_cast<std::uint8_t>(side >> 8);
  return {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, lo, hi, lo, hi, static_cast<std::uint8_t>(bits), 0};
}

std::vector<std::uint8_t> bmp_header(int side) {
  const std::uint32_t bytes = static_cast<std::uint32_t>(side) * static_cast<std::uint32_t>(side) * 3;
  std::vector<std::uint8_t> head(54, 0);
  const auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) head[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  head[0] = 'B', head[1] = 'M';
  put(2, 54 + bytes, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(side), 4);
  put(22, static_cast<std::uint32_t>(side), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, bytes, 4);
  return head;
}

struct Case {
  std::string name;  // what the file is
  fs::path file;
  std::size_t decoded_bytes;
};

// Times `load_once`, which loads the file, keeps nothing and says whether
// the load worked; the figure is decoded bytes per second.
template <class Load>
void measure(benchmark::State& state, const Case& c, Load load_once) {
  for (auto _ : state) {
    if (!load_once()) state.SkipWithError("the load failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.decoded_bytes));
}

void load_with_sorvel_tga(benchmark::State& state, const Case& c) {
  measure(state, c, [&] {
    TGATEXTURE texture{};
    const bool loaded = LOADTGA(texture, c.file.string());
    benchmark::DoNotOptimize(texture.IMAGEDATA);
    std::free(texture.IMAGEDATA);
    return loaded;
  });
}

void load_with_sorvel_bmp(benchmark::State& state, const Case& c) {
  measure(state, c, [&] {
    const HANDLE bitmap = LoadImageA(nullptr, c.file.c_str(), IMAGE_BITMAP, 0, 0,
                                     LR_LOADFROMFILE | LR_LOADTRANSPARENT | LR_CREATEDIBSECTION);
    benchmark::DoNotOptimize(bitmap);
    return DeleteObject(bitmap) != FALSE;
  });
}

void load_with_stb(benchmark::State& state, const Case& c) {
  measure(state, c, [&] {
    int width = 0, height = 0, components = 0;
    stbi_uc* pixels = stbi_load(c.file.c_str(), &width, &height, &components, 0);
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
    return pixels != nullptr;
  });
}

void load_with_sdl(benchmark::State& state, const Case& c) {
  measure(state, c, [&] {
    SDL_Surface* surface = SDL_LoadBMP(c.file.c_str());
    benchmark::DoNotOptimize(surface);
    SDL_FreeSurface(surface);
    return surface != nullptr;
  });
}

void copy_with_memcpy(benchmark::State& state, const Case& c) {
  std::vector<std::uint8_t> source(c.decoded_bytes, 0x5A);
  measure(state, c, [&] {
    auto* block = static_cast<std::uint8_t*>(std::malloc(c.decoded_bytes));
    std::memcpy(block, source.data(), c.decoded_bytes);
    benchmark::DoNotOptimize(block);
    std::free(block);
    return true;
  });
}

// Keeps each run's MB/s by name and, after the console's report, prints the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) speed_[run.benchmark_name()] = it->second.value / 1e6;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-26s %10s %10s %10s %10s %12s\n", "file", "sorvel", "stb_image", "SDL2", "memcpy", "ratios");
    for (const std::string& name : names_) {
      const double sorvel = speed_[name + "/sorvel"], stb = speed_[name + "/stb_image"],
                   sdl = speed_[name + "/SDL_LoadBMP"], floor = speed_[name + "/memcpy"];
      if (sorvel == 0 || stb == 0 || floor == 0) continue;  // filtered out
      std::printf("%-26s %10.0f %10.0f %10s %10.0f   x%.2f stb", name.c_str(), sorvel, stb,
                  sdl > 0 ? std::to_string(static_cast<int>(sdl)).c_str() : "-", floor, sorvel / stb);
      if (sdl > 0) std::printf(", x%.2f SDL", sorvel / sdl);
      std::printf(", %.0f%% of memcpy\n", 100.0 * sorvel / floor);
    }
    std::printf("(MB/s of decoded pixels)\n");
  }
  void add_name(const std::string& name) { names_.push_back(name); }

 private:
  std::map<std::string, double> speed_;
  std::vector<std::string> names_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  platform::testing::use_no_display();
  // Boxes would stop the run; a failed load is reported as a skipped benchmark.
  platform::testing::set_message_box_handler([](const platform::testing::MessageBoxCall&) { return IDOK; });

  const fs::path dir = fs::temp_directory_path() / ("sorvel-texture-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  RatioReporter reporter;
  std::vector<Case> cases;
  for (int side : {1024, 4096}) {
    const std::string size = std::to_string(side);
    for (int bits : {24, 32}) {
      const int bytes = bits / 8;
      const std::vector<std::uint8_t> pixels = texture_picture(side, bytes);
      const std::string depth = std::to_string(bits) + "bit";
      const Case raw{"tga2_" + depth + "/" + size, dir / ("type2_" + depth + "_" + size + ".tga"), pixels.size()};
      write_file(raw.file, tga_header(2, side, bits), pixels);
      const Case rle{"tga10_" + depth + "/" + size, dir / ("type10_" + depth + "_" + size + ".tga"), pixels.size()};
      write_file(rle.file, tga_header(10, side, bits), rle_packets(pixels, static_cast<std::size_t>(bytes)));
      cases.push_back(raw);
      cases.push_back(rle);
    }
    const std::vector<std::uint8_t> pixels = texture_picture(side, 3);
    const Case bmp{"bmp_24bit/" + size, dir / ("rgb24_" + size + ".bmp"), pixels.size()};
    write_file(bmp.file, bmp_header(side), pixels);  // rows of 3 x side bytes need no padding
    cases.push_back(bmp);
  }
  for (const Case& c : cases) {
    const bool is_bmp = c.name.starts_with("bmp");
    benchmark::RegisterBenchmark((c.name + "/sorvel").c_str(), is_bmp ? load_with_sorvel_bmp : load_with_sorvel_tga, c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((c.name + "/stb_image").c_str(), load_with_stb, c)->Unit(benchmark::kMillisecond);
    if (is_bmp) {
      benchmark::RegisterBenchmark((c.name + "/SDL_LoadBMP").c_str(), load_with_sdl, c)->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark((c.name + "/memcpy").c_str(), copy_with_memcpy, c)->Unit(benchmark::kMillisecond);
    reporter.add_name(c.name);
  }
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  fs::remove_all(dir);
  return 0;
}
