// Projection set-up for the 3D view and the 2D overlay, the overlay's
// origin, and the billboard bracket.
#include <GL/glu.h>

#include <algorithm>
#include <cstdint>
#include <numbers>

#include "sorvel/sorvel.h"

float OFFX = 0.0f;
float OFFY = 0.0f;

namespace {

constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 0.1;
constexpr long double kOverlayOffsetX = 2.05L;
constexpr long double kOverlayOffsetY = 1.45L;
constexpr double kOverlayHalfWidth = 2.0;
constexpr double kOverlayDepth = 2.0;
constexpr long double kOverlayPixelsPerUnit = 200.0L;  // SETPOSXY's unit: 1/200 of the overlay's
constexpr GLfloat kBillboardScale = 0.1f;
constexpr GLfloat kInitialAlpha = 0.5f;

// The window size as the viewport takes it: never negative, so glViewport
// has nothing to refuse.
GLsizei viewport_side(std::int32_t side) { return std::max(side, 0); }

// The window size as the projection arithmetic takes it. The window system
// never leaves a side at zero, but a program may; a side below one counts as
// one, so the quotients stay finite and the projection well formed.
std::int32_t projection_side(std::int32_t side) { return std::max(side, 1); }

void set_clear_colour(double A, double R, double G, double B) {
  glClearColor(static_cast<GLfloat>(R), static_cast<GLfloat>(G), static_cast<GLfloat>(B), static_cast<GLfloat>(A));
}

}  // namespace

void OPENGL_INIT(double DEPTH, double A, double R, double G, double B) {
  set_clear_colour(A, R, G, B);
  glViewport(0, 0, viewport_side(WIDTH), viewport_side(HEIGHT));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double aspect = static_cast<double>(projection_side(WIDTH)) / static_cast<double>(projection_side(HEIGHT));
  gluPerspective(kFieldOfViewDegrees, aspect, kNearPlane, DEPTH);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearDepth(DEPTH);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glColor4f(1.0f, 1.0f, 1.0f, kInitialAlpha);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // takes effect wherever blending is switched on later
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_AUTO_NORMAL);
  glEnable(GL_NORMALIZE);
  // No glEnable(GL_RENDER): GL_RENDER is a render mode, not a capability,
  // and GL would only refuse it and leave an error behind.
}

void OPENGL_I2D(double A, double R, double G, double B) {
  const std::int32_t width = projection_side(WIDTH);
  const std::int32_t height = projection_side(HEIGHT);
  const std::int32_t quotient = height / width;  // 0 for any window wider than tall
  OFFX = static_cast<float>(quotient - kOverlayOffsetX);
  OFFY = static_cast<float>(quotient - kOverlayOffsetY);
  set_clear_colour(A, R, G, B);
  glViewport(0, 0, viewport_side(WIDTH), viewport_side(HEIGHT));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // The doubled height is an integer product, taken in 64 bits so that no
  // height can overflow it.
  const double half_height = static_cast<double>(2 * static_cast<std::int64_t>(height)) / static_cast<double>(width);
  glOrtho(-kOverlayHalfWidth, kOverlayHalfWidth, -half_height, half_height, -kOverlayDepth, kOverlayDepth);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_NORMALIZE);
}

void SETPOSXY(float X, float Y) {
  // A positive X moves the origin to the left, a positive Y up.
  glTranslatef(static_cast<GLfloat>(-X / kOverlayPixelsPerUnit), static_cast<GLfloat>(Y / kOverlayPixelsPerUnit), 0.0f);
}

void LOCKVIEWMODELBEGIN(float X, float Y, float Z) {
  glPushMatrix();
  glTranslatef(X, Y, Z);
  glPushMatrix();
  GLfloat MATRIX[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, MATRIX);
  // The upper-left 3 x 3 block holds all rotation and scaling; making it the
  // identity keeps only the anchor's place in eye space.
  for (std::uint8_t column = 0; column <= 2; ++column) {
    for (std::uint8_t row = 0; row <= 2; ++row) {
      MATRIX[4 * column + row] = column == row ? 1.0f : 0.0f;
    }
  }
  glLoadMatrixf(MATRIX);
  glScalef(kBillboardScale, kBillboardScale, kBillboardScale);
}

void LOCKVIEWMODELEND() {
  glPopMatrix();
  glPopMatrix();
}

float RADTODEG(float RADIAN) { return static_cast<float>(180.0L * RADIAN / std::numbers::pi_v<long double>); }
