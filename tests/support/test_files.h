// Files for tests: the shared corpus of public images, and scratch folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace sorvel::testing {

// The corpus folder (BMP, TGA and cursor files), or an empty path when it is
// not on this machine.
std::filesystem::path corpus_dir();

std::vector<std::uint8_t> read_file(const std::filesystem::path& path);

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path write(std::string_view name, const std::vector<std::uint8_t>& bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace sorvel::testing

// Skips the current test, saying why, when the corpus is absent.
#define SORVEL_REQUIRE_CORPUS()                                                                   \
  do {                                                                                            \
    if (::sorvel::testing::corpus_dir().empty()) {                                                \
      GTEST_SKIP() << "the image corpus is not here (" SORVEL_CORPUS_DIR "); nothing to read";    \
    }                                                                                             \
  } while (false)
