#include "sorvel/textures/tga_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sorvel/sorvel.h"

namespace sorvel::textures {

bool ImageFileInput::open(const char* name) {
  close();
  // Not blocking: a pipe of that name must not hang the reader.
  const int descriptor = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return false;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(descriptor);
    return false;
  }
  FTGA = descriptor;
  return true;
}

void ImageFileInput::close() {
  if (FTGA >= 0) ::close(FTGA);
  FTGA = -1;
  position_ = filled_ = 0;
  ended_ = false;
}

std::size_t ImageFileInput::read_file(std::uint8_t* into, std::size_t count) {
  for (;;) {
    const ssize_t got = ::read(FTGA, into, std::min<std::size_t>(count, std::size_t{1} << 30));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

std::size_t ImageFileInput::read_through(std::uint8_t* into, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    if (position_ == filled_) {
      if (ended_ || FTGA < 0) break;
      const std::size_t wanted = count - done;
      // Large reads go straight to their destination.
      const bool direct = wanted >= buffer_.size();
      const std::size_t got = read_file(direct ? into + done : buffer_.data(), direct ? wanted : buffer_.size());
      if (got == 0) {
        ended_ = true;
        break;
      }
      if (direct) {
        done += got;
        continue;
      }
      position_ = 0;
      filled_ = got;
    }
    const std::size_t part = std::min(count - done, filled_ - position_);
    std::memcpy(into + done, buffer_.data() + position_, part);
    position_ += part;
    done += part;
  }
  return done;
}

}  // namespace sorvel::textures
