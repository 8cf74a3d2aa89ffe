// The standard light, its marker point, two-sided lighting, back-face
// culling and the two sprite modes.
#include <cstdint>

#include "sorvel/sorvel.h"

GLfloat AMBIENTLIGHT[4] = {0.5f, 0.5f, 0.5f, 1.0f};
GLfloat DIFFUSELIGHT[4] = {1.0f, 1.0f, 1.0f, 1.0f};
GLfloat SPECULARLIGHT[4] = {1.0f, 1.0f, 1.0f, 1.0f};
GLfloat LIGHTPOSITION[4] = {0.0f, 0.0f, 0.0f, 0.0f};

namespace {

constexpr GLuint kLightCount = 8;  // GL_LIGHT0 to GL_LIGHT7, which every GL has
constexpr GLfloat kCutOutAlpha = 0.4f;

// GL refuses any other name with GL_INVALID_ENUM; such a light is left out
// rather than leave an error behind.
bool names_a_light(GLuint NLIGHT) { return NLIGHT - GL_LIGHT0 < kLightCount; }

void place_light(GLuint NLIGHT, float X, float Y, float Z, float W) {
  LIGHTPOSITION[0] = X;
  LIGHTPOSITION[1] = Y;
  LIGHTPOSITION[2] = Z;
  LIGHTPOSITION[3] = W;
  if (names_a_light(NLIGHT)) glLightfv(NLIGHT, GL_POSITION, LIGHTPOSITION);
}

}  // namespace

void SETGLLIGHT(GLuint NLIGHT, float L0, float L1, float L2, float L3) {
  glEnable(GL_LIGHTING);
  if (names_a_light(NLIGHT)) {
    glLightfv(NLIGHT, GL_AMBIENT, AMBIENTLIGHT);
    glLightfv(NLIGHT, GL_DIFFUSE, DIFFUSELIGHT);
    glLightfv(NLIGHT, GL_SPECULAR, SPECULARLIGHT);
    glEnable(NLIGHT);
  }
  place_light(NLIGHT, L0, L1, L2, L3);
}

void PUTGLPOINTLIGHT(GLuint NLIGHT, float SIZE, float LX, float LY, float LZ, float LVAL) {
  place_light(NLIGHT, LX, LY, LZ, LVAL);
  // GL keeps the old size for one that is not positive (or not a number),
  // and would leave an error behind as well.
  if (SIZE > 0.0f) glPointSize(SIZE);
  glBegin(GL_POINTS);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glVertex3f(LIGHTPOSITION[0], LIGHTPOSITION[1], LIGHTPOSITION[2]);
  glEnd();
}

void TWOSIDEON() { glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1); }

void TWOSIDEOFF() { glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0); }

void SETGLREFRACTIVE() {
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  // The shade model stays smooth: 0x19FF5 names no shade model, and GL would
  // only refuse it.
}

void SETGLSPRITE(bool LIGHT) {
  if (LIGHT) glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);  // still depth-tested: later geometry behind the panel is drawn
}

void SETGLSPRITE() {
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, kCutOutAlpha);
}

void SETGLSPRITEOFF() {
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
}
