// Writing pictures as PNG files (libpng), for the screenshot and reference
// tools.
#pragma once

namespace sorvel::tools {

// `rgb` holds height rows of width RGB pixels, top row first.
bool write_rgb_png(const char* path, int width, int height, const unsigned char* rgb);

}  // namespace sorvel::tools
