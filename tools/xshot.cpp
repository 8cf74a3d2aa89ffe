// xshot: saves what an X screen shows (or one window of it) as a PNG file.
//   xshot OUT.png [WINDOW-ID]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <vector>

namespace {

bool write_png(const char* path, int width, int height, const std::vector<unsigned char>& rgb) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

int channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long top = mask >> shift;
  return static_cast<int>(((pixel & mask) >> shift) * 255 / top);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: xshot OUT.png [WINDOW-ID]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xshot: cannot open the display\n");
    return 1;
  }
  const Window window = argc > 2 ? static_cast<Window>(std::strtoul(argv[2], nullptr, 0)) : DefaultRootWindow(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    std::fprintf(stderr, "xshot: no such window\n");
    return 1;
  }
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) {
    std::fprintf(stderr, "xshot: the window cannot be read (is it mapped?)\n");
    return 1;
  }
  std::vector<unsigned char> rgb(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      unsigned char* out = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(image->width) + static_cast<std::size_t>(x)) * 3];
      out[0] = static_cast<unsigned char>(channel(pixel, image->red_mask));
      out[1] = static_cast<unsigned char>(channel(pixel, image->green_mask));
      out[2] = static_cast<unsigned char>(channel(pixel, image->blue_mask));
    }
  }
  const bool written = write_png(argv[1], image->width, image->height, rgb);
  XDestroyImage(image);
  XCloseDisplay(display);
  if (!written) {
    std::fprintf(stderr, "xshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
