// The TGA texture table: slots 0 to 200 filled from TGA files through
// LOADTGA.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "sorvel/sorvel.h"

sorvel::CheckedTable<TGATEXTURE, 0, 200> TEXTURETGA2("TEXTURETGA2");

namespace {

// A directory of that name counts as missing.
bool file_exists(std::string_view name) {
  struct stat status {};
  return ::stat(std::string(name).c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

}  // namespace

void TEXTURELOADTGAID(std::string_view TGAFILE, std::int32_t NUM) {
  if (!file_exists(TGAFILE)) return;
  TGATEXTURE& slot = TEXTURETGA2[NUM];
  if (!LOADTGA(slot, TGAFILE)) return;
  glEnable(GL_TEXTURE_2D);
  glGenTextures(1, &slot.TEXID);
  glBindTexture(GL_TEXTURE_2D, slot.TEXID);
  // The rows are packed tight. Under a row alignment they do not meet, GL
  // would read past the block: such an upload alone is made at alignment 1.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  const bool unaligned = alignment > 1 && (slot.WIDTH * (slot.BPP / 8)) % static_cast<std::uint32_t>(alignment) != 0;
  if (unaligned) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(slot.BPP / 8), static_cast<GLsizei>(slot.WIDTH),
               static_cast<GLsizei>(slot.HEIGHT), 0, slot.TYP, GL_UNSIGNED_BYTE, slot.IMAGEDATA);
  if (unaligned) glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  // The upload copied the pixels; the slot's reference to them goes stale.
  std::free(slot.IMAGEDATA);
}

void TEXTURETGASELECTID(std::int32_t NUM) { glBindTexture(GL_TEXTURE_2D, TEXTURETGA2[NUM].TEXID); }
