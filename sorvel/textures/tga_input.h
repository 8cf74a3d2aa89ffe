// The TGA reader's image file, FTGA, read through a buffer. Every read
// delivers what its count asks for, or what is left of the file, just as an
// unbuffered read of that count would; an error the system reports ends the
// file there, so that read comes back short.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sorvel::textures {

class ImageFileInput {
 public:
  // Opens an existing file (not a directory) for reading only, into FTGA.
  bool open(const char* name);
  // Closes FTGA, which is -1 afterwards.
  void close();

  // Copies up to `count` bytes into `into`; returns how many arrived.
  std::size_t read(void* into, std::size_t count) {
    if (count <= filled_ - position_) {
      std::memcpy(into, buffer_.data() + position_, count);
      position_ += count;
      return count;
    }
    return read_through(static_cast<std::uint8_t*>(into), count);
  }

 private:
  std::size_t read_through(std::uint8_t* into, std::size_t count);
  // A read(2) of the file, retried when interrupted; 0 at the end or on an error.
  std::size_t read_file(std::uint8_t* into, std::size_t count);

  std::array<std::uint8_t, std::size_t{1} << 16> buffer_{};
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  bool ended_ = false;
};

}  // namespace sorvel::textures
