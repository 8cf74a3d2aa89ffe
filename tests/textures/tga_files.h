// TGA files made in tests: the 18-byte headers the reader accepts (or not),
// followed by pixel data or packets as given.
#pragma once

#include <cstdint>
#include <vector>

namespace sorvel::testing {

inline std::vector<std::uint8_t> tga_file(std::uint8_t type, std::uint16_t width, std::uint16_t height,
                                          std::uint8_t bpp, const std::vector<std::uint8_t>& body,
                                          std::uint8_t descriptor = 0) {
  std::vector<std::uint8_t> file;
  file.reserve(18 + body.size());
  for (std::uint8_t byte : {std::uint8_t{0}, std::uint8_t{0}, type}) file.push_back(byte);
  file.resize(12, 0);
  for (std::uint8_t byte : {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
                            static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8), bpp, descriptor}) {
    file.push_back(byte);
  }
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

}  // namespace sorvel::testing
