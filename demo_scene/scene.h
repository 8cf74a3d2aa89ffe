// The demo's scene: a stone floor, a see-through net cage and an animated
// fire of sprite panels, under the mouse camera.
#pragma once

#include "sorvel/sorvel.h"

extern std::int32_t I;
extern float ANGLE;
extern TGLFX_3DANIMATION ANIM;

// Loads the scene's three textures (it builds no display list).
void OPENGL_CREATELIST();
// Draws one frame of the scene.
void OPENGL_DRAW();
