#include "demo_scene/scene.h"

std::int32_t I = 0;
float ANGLE = 0.0f;
TGLFX_3DANIMATION ANIM = {};

void OPENGL_CREATELIST() {}

void OPENGL_DRAW() {}
