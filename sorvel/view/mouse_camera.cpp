// The mouse camera: the window procedure's drag angles and distance turned
// into one translation and two rotations of the scene.
#include <cstdint>

#include "sorvel/sorvel.h"

TGLVECTOR MY = {0.0f, 0.0f, 0.0f};

namespace {

struct Axis {
  GLfloat x, y, z;
};

struct CameraLayout {
  Axis pull_back;    // the axis along which the scene moves by -DEPTH
  Axis first_turn;   // turned by XROT
  Axis second_turn;  // turned by YROT
};

constexpr CameraLayout kLayouts[] = {
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   // GL_M0
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   // GL_MX
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  // GL_MY
    {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}},   // GL_MZ
};

// Only the pulled-back component carries -DEPTH; the others stay +0.
float pulled(float direction, float distance) { return direction != 0.0f ? -distance : 0.0f; }

}  // namespace

void SETGLMOUSEMOVE(std::int32_t XYZ, std::int32_t SPEED) {
  MSPEED = SPEED;  // also for an unknown layout: the window procedure still needs its speed
  if (XYZ < GL_M0 || XYZ > GL_MZ) return;
  const CameraLayout& layout = kLayouts[XYZ];
  MY = {pulled(layout.pull_back.x, DEPTH), pulled(layout.pull_back.y, DEPTH), pulled(layout.pull_back.z, DEPTH)};
  glTranslatef(MY.X, MY.Y, MY.Z);
  glRotatef(XROT, layout.first_turn.x, layout.first_turn.y, layout.first_turn.z);
  glRotatef(YROT, layout.second_turn.x, layout.second_turn.y, layout.second_turn.z);
}
