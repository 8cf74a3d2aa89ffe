// BMP files from disk: the decoder reads the file in place, so the pixel
// block of an uncompressed file goes from the file straight into the bitmap.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/bmp_decode.h"
#include "platform/core/desktop.h"
#include "platform/core/image_files.h"
#include "platform/win32.h"

namespace platform::core {
namespace {

DWORD error_of(int code) {
  switch (code) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_READ_FAULT;
  }
}

class FileSource final : public bmp::Source {
 public:
  FileSource(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* to, std::size_t count) override {
    auto* into = static_cast<char*>(to);
    while (count > 0) {
      const ssize_t got = ::pread(descriptor_, into, count, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        failed_ = got < 0;
        return false;
      }
      into += got;
      offset += static_cast<std::uint64_t>(got);
      count -= static_cast<std::size_t>(got);
    }
    return true;
  }
  // A read the system refused, as opposed to one past the end.
  bool failed() const { return failed_; }

 private:
  int descriptor_;
  std::uint64_t size_;
  bool failed_ = false;
};

}  // namespace

HBITMAP load_bitmap_file(const char* path, int width, int height, UINT flags) {
  // Not blocking, so that a pipe of that name is refused rather than waited on.
  const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    set_last_error(error_of(errno));
    return nullptr;
  }
  struct stat status {};
  HBITMAP bitmap = nullptr;
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    set_last_error(ERROR_ACCESS_DENIED);
  } else {
    FileSource source(descriptor, static_cast<std::uint64_t>(status.st_size));
    bitmap = bmp::decode(source, width, height, flags);
    if (bitmap == nullptr && source.failed()) set_last_error(ERROR_READ_FAULT);
  }
  ::close(descriptor);
  return bitmap;
}

}  // namespace platform::core
