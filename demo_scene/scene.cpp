#include "demo_scene/scene.h"

std::int32_t I = 0;
float ANGLE = 0.0f;
TGLFX_3DANIMATION ANIM = {};

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// The scene's image files, read from the working directory.
void OPENGL_TEXTURE() {
  TEXTURELOADID("stoneblocks.bmp", 0);
  TEXTURELOADID("fuoco8.bmp", 1);
  TEXTURELOADTGAID("rete00_1.tga", 0);
}

// The empty 2D overlay: set up and at once replaced by the 3D view again.
void OPENGL_DRAW2D() {
  OPENGL_I2D(0, 0, 0, 0);
  SETPOSXY(0, 0);
  OPENGL_INIT(100.0, 0.0, 0.39666666666666667, 0.6233333333333333, 0.85);
}

// The scene has no mouse or key handling of its own.
void OPENGL_MOUSE2D() {}
void OPENGL_KEYBOARD() {}

}  // namespace

void OPENGL_CREATELIST() { OPENGL_TEXTURE(); }

void prepare_scene() {
  OPENGL_INIT(100.0, 0.0, 0.39666666666666667, 0.6233333333333333, 0.85);
  SETGLREFRACTIVE();
  SETGLLIGHT(GL_LIGHT0, 0.1f, 0.0f, 0.0f, 0.0f);
  OPENGL_CREATELIST();
}

void QUAD(float X1, float Y1, float Z1, float X2, float Y2, float Z2, float X3, float Y3, float Z3, float X4, float Y4,
          float Z4, float TSIZE) {
  glBegin(GL_QUADS);
  FINDNORMAL(X2, Y2, Z2, X1, Y1, Z1, X3, Y3, Z3);
  glNormal3f(static_cast<float>(FNORMAL[1]), static_cast<float>(FNORMAL[2]), static_cast<float>(FNORMAL[3]));
  LINEFREE(TSIZE, TSIZE, 0, TSIZE, X2, Y2, Z2, X1, Y1, Z1, true);
  LINEFREE(0, 0, TSIZE, 0, X3, Y3, Z3, X4, Y4, Z4, true);
  glEnd();
}

void OPENGL_DRAW() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  OPENGL_DRAW2D();
  OPENGL_MOUSE2D();
  OPENGL_KEYBOARD();

  // The fixed view, then the mouse camera.
  glTranslatef(0, -8, -60);
  glRotatef(25, 1, 0, 0);
  SETGLMOUSEMOVE(GL_M0, 2);
  glRotatef(45, 0, 1, 0);

  // Light 0 shines from the scene's +y, so it turns with the scene.
  PUTGLPOINTLIGHT(GL_LIGHT0, 0.1f, 0, 10, 0, 0);

  // Floor: 40 x 40, the stone repeated three times each way.
  TEXTURESELECTID(0);
  QUAD(-20, -2.5f, -20, 20, -2.5f, -20, -20, -2.5f, 20, 20, -2.5f, 20, 3);

  // Cage: both sides lit and drawn, the net's holes cut out by the alpha test.
  TWOSIDEON();
  glDisable(GL_CULL_FACE);
  SETGLSPRITE();
  TEXTURETGASELECTID(0);
  CUBO(0, -2.3f, 0, -12, 0, -12, 12, 24, 12, 3);
  glEnable(GL_CULL_FACE);
  TWOSIDEOFF();

  // Fire: nine additive panels sharing one animation, turned 45 degrees more each.
  TEXTURESELECTID(1);
  glPushMatrix();
  glTranslatef(0, 17, 0);
  for (std::int32_t panel = 0; panel <= 8; ++panel) {
    I = panel;
    ANGLE = static_cast<float>((kPi * 2 * I) / 8);
    glRotatef(RADTODEG(ANGLE), 0, 1, 0);
    FX_3DANIMATION(ANIM, 0, 0, 0, 10, 20, 8, 1, 0.125f, false, false, true, true);
  }
  glPopMatrix();
}
