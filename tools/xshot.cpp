// xshot: saves what an X screen shows (or one window of it) as a PNG file.
//   xshot OUT.png [WINDOW-ID]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/png_file.h"

namespace {

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
  const bool written = sorvel::tools::write_rgb_png(argv[1], image->width, image->height, rgb.data());
  XDestroyImage(image);
  XCloseDisplay(display);
  if (!written) {
    std::fprintf(stderr, "xshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
