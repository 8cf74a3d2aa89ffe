#include "tests/support/test_files.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace sorvel::testing {

std::filesystem::path corpus_dir() {
  const std::filesystem::path dir(SORVEL_CORPUS_DIR);
  std::error_code error;
  return std::filesystem::is_directory(dir, error) ? dir : std::filesystem::path();
}

std::vector<std::uint8_t> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sorvel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  if (!path_.empty()) std::filesystem::remove_all(path_, error);
}

std::filesystem::path TempDir::write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
  const std::filesystem::path file = path_ / name;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file;
}

}  // namespace sorvel::testing
