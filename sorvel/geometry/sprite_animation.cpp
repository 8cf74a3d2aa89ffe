// The sprite-sheet animation: one flat, unlit, textured panel showing the
// current cell of the bound sheet, then one step of the caller's timeline.
#include <cstdint>

#include "sorvel/sorvel.h"

namespace {

using Extended = long double;

constexpr GLfloat kFullBrightness = 256.0f;  // clamped by GL: opaque white
constexpr GLfloat kFullBrightnessAlpha = 10.0f;
constexpr Extended kBillboardUnitsPerEyeUnit = 10.0L;  // undoes the billboard's scale of 0.1

struct SheetGrid {
  std::int32_t rows;     // cells along s
  std::int32_t columns;  // cells along t
  float time;
};

void advance(TGLFX_3DANIMATION& ANIM, const SheetGrid& grid) {
  ANIM.POS = static_cast<float>(Extended{ANIM.POS} + grid.time);
  if (ANIM.POS > 1.0f) {
    ANIM.V.Y = static_cast<float>(ANIM.V.Y + 1.0L / grid.columns);
    ANIM.POS = 0.0f;  // the excess above 1 is dropped
  }
  if (ANIM.V.Y >= 1.0f) {
    ANIM.V.X = static_cast<float>(ANIM.V.X + 1.0L / grid.rows);
    ANIM.V.Y = 0.0f;
  }
  if (ANIM.V.X >= 1.0f) {
    ANIM.V.X = 0.0f;
    ANIM.V.Y = 0.0f;
  }
}

// Draws the current cell on a panel of half-extents X by Y, then advances.
void draw_panel(TGLFX_3DANIMATION& ANIM, const SheetGrid& grid, float X, float Y, bool FOG, bool LIGHT, bool ALPHA) {
  ANIM.ROWS = grid.rows;
  ANIM.COLUMNS = grid.columns;
  glDisable(GL_LIGHTING);
  if (FOG) glDisable(GL_FOG);
  if (LIGHT) glColor4f(kFullBrightness, kFullBrightness, kFullBrightness, kFullBrightnessAlpha);
  if (ALPHA) SETGLSPRITE(false);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);

  // Cells run from t = 1 down a strip, then strip by strip along s.
  const GLfloat left = ANIM.V.X;
  const auto right = static_cast<GLfloat>(ANIM.V.X + 1.0L / ANIM.ROWS);
  const auto top = static_cast<GLfloat>(1.0L - ANIM.V.Y);
  const auto bottom = static_cast<GLfloat>(1.0L - ANIM.V.Y - 1.0L / ANIM.COLUMNS);
  glBegin(GL_QUADS);
  glTexCoord2f(left, bottom);
  glVertex3f(-X, -Y, 0.0f);
  glTexCoord2f(right, bottom);
  glVertex3f(X, -Y, 0.0f);
  glTexCoord2f(right, top);
  glVertex3f(X, Y, 0.0f);
  glTexCoord2f(left, top);
  glVertex3f(-X, Y, 0.0f);
  glEnd();

  if (ALPHA) SETGLSPRITEOFF();
  if (LIGHT) SETGLSPRITEOFF();
  if (FOG) glEnable(GL_FOG);
  glEnable(GL_LIGHTING);
  advance(ANIM, grid);
}

float billboard_extent(float half_extent) {
  return static_cast<float>((Extended{half_extent} + 1.0L) * kBillboardUnitsPerEyeUnit);
}

}  // namespace

void FX_3DANIMATION(TGLFX_3DANIMATION& ANIM, float X, float Y, float Z, float SX, float SY, std::int32_t ROWS,
                    std::int32_t COLUMNS, float TIME, bool LOCK, bool FOG, bool LIGHT, bool ALPHA) {
  // A sheet without cells has nothing to show: nothing is drawn, no GL
  // state changes and the record stays as it was.
  if (ROWS < 1 || COLUMNS < 1) return;
  const SheetGrid grid{ROWS, COLUMNS, TIME};

  glDisable(GL_CULL_FACE);
  glPushMatrix();
  if (LOCK) {
    LOCKVIEWMODELBEGIN(0.0f, 0.0f, 0.0f);
    glTranslatef(X, Y, Z);
    draw_panel(ANIM, grid, billboard_extent(SX), billboard_extent(SY), FOG, LIGHT, ALPHA);
    LOCKVIEWMODELEND();
  } else {
    glTranslatef(X, Y, Z);
    draw_panel(ANIM, grid, SX, SY, FOG, LIGHT, ALPHA);
  }
  glPopMatrix();
  glEnable(GL_CULL_FACE);  // also when culling was off before the call
}
