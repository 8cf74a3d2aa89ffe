// The demo's scene: a stone floor, a see-through net cage and an animated
// fire of sprite panels, under the mouse camera.
#pragma once

#include "sorvel/sorvel.h"

extern std::int32_t I;
extern float ANGLE;
extern TGLFX_3DANIMATION ANIM;

// Loads the scene's three textures (it builds no display list).
void OPENGL_CREATELIST();
// The program's set-up once its window and GL context exist, in this order:
// the projection and clear colour, back-face culling, light 0, the textures.
void prepare_scene();
// Draws one frame of the scene.
void OPENGL_DRAW();
// One textured, lit quad with corners P1 to P4 (drawn P2, P1, P3, P4) and
// the texture repeated TSIZE times each way.
void QUAD(float X1, float Y1, float Z1, float X2, float Y2, float Z2, float X3, float Y3, float Z3, float X4, float Y4,
          float Z4, float TSIZE);
