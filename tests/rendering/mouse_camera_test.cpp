// The mouse camera's four layouts: where the scene's axes end up, the
// recorded translation, and the speed handed to the window procedure.
#include <cmath>

#include "sorvel/sorvel.h"
#include "tests/rendering/rendering_test.h"

namespace sorvel::testing {
namespace {

using MouseCamera = RenderingTest;

struct LayoutCase {
  const char* name;
  std::int32_t layout;
  float xrot, yrot;
  Vec3 my;
  Vec3 x_axis, y_axis, z_axis;  // where (1,0,0), (0,1,0), (0,0,1) go
};

// Every case with DEPTH 4. Rotations are right-handed, in degrees.
const LayoutCase kLayoutCases[] = {
    {"GL_M0 tilt about x", GL_M0, 90, 0, {0, 0, -4}, {1, 0, -4}, {0, 0, -3}, {0, -1, -4}},
    {"GL_M0 turn about y", GL_M0, 0, 90, {0, 0, -4}, {0, 0, -5}, {0, 1, -4}, {1, 0, -4}},
    {"GL_M0 turn about y first, then tilt", GL_M0, 90, 90, {0, 0, -4}, {0, 1, -4}, {0, 0, -3}, {1, 0, -4}},
    {"GL_MX tilt about x", GL_MX, 90, 0, {0, -4, 0}, {1, -4, 0}, {0, -4, 1}, {0, -5, 0}},
    {"GL_MX turn about z", GL_MX, 0, 90, {0, -4, 0}, {0, -3, 0}, {-1, -4, 0}, {0, -4, 1}},
    {"GL_MY turn about -z, clockwise from +z", GL_MY, 90, 0, {-4, 0, 0}, {-4, -1, 0}, {-3, 0, 0}, {-4, 0, 1}},
    {"GL_MY turn about y", GL_MY, 0, 90, {-4, 0, 0}, {-4, 0, -1}, {-4, 1, 0}, {-3, 0, 0}},
    {"GL_MZ turn about y", GL_MZ, 90, 0, {0, 0, -4}, {0, 0, -5}, {0, 1, -4}, {1, 0, -4}},
    {"GL_MZ tilt about x", GL_MZ, 0, 90, {0, 0, -4}, {1, 0, -4}, {0, 0, -3}, {0, -1, -4}},
};

void expect_near(const Vec3& actual, const Vec3& expected) {
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}

TEST_F(MouseCamera, LayoutsPullBackAndTurnTheScene) {
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(c.name);
    glLoadIdentity();
    XROT = c.xrot;
    YROT = c.yrot;
    DEPTH = 4;
    SETGLMOUSEMOVE(c.layout, 3);
    EXPECT_EQ(MSPEED, 3);
    EXPECT_EQ((Vec3{MY.X, MY.Y, MY.Z}), c.my);
    const Matrix m = get_matrix(GL_MODELVIEW_MATRIX);
    expect_near(transform_point(m, {1, 0, 0}), c.x_axis);
    expect_near(transform_point(m, {0, 1, 0}), c.y_axis);
    expect_near(transform_point(m, {0, 0, 1}), c.z_axis);
  }
}

TEST_F(MouseCamera, ComesAfterTheProgramsOwnViewTransforms) {
  glTranslatef(0, -8, -60);
  XROT = 90;
  DEPTH = 10;
  SETGLMOUSEMOVE(GL_M0, 2);
  expect_near(transform_point(get_matrix(GL_MODELVIEW_MATRIX), {0, 1, 0}), {0, -8, -69});
  EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), 1);  // no push, no pop
}

TEST_F(MouseCamera, RestingMouseChangesNothingButTheSpeed) {
  glTranslatef(0, -8, -60);
  const Matrix before = get_matrix(GL_MODELVIEW_MATRIX);
  SETGLMOUSEMOVE(GL_M0, 2);
  EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), before);
  EXPECT_EQ(MSPEED, 2);
  EXPECT_EQ(MY.X, 0.0f);
  EXPECT_FALSE(std::signbit(MY.X));
  EXPECT_TRUE(std::signbit(MY.Z));  // -DEPTH of a zero DEPTH
}

TEST_F(MouseCamera, UnknownLayoutOnlySetsTheSpeed) {
  for (const std::int32_t layout : {4, 7, -1}) {
    SCOPED_TRACE(layout);
    glLoadIdentity();
    glRotatef(10, 1, 1, 0);
    const Matrix before = get_matrix(GL_MODELVIEW_MATRIX);
    MY = {1, 2, 3};
    XROT = YROT = 30;
    DEPTH = 5;
    SETGLMOUSEMOVE(layout, 5);
    EXPECT_EQ(MSPEED, 5);
    EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), before);
    EXPECT_EQ((Vec3{MY.X, MY.Y, MY.Z}), (Vec3{1, 2, 3}));
  }
}

}  // namespace
}  // namespace sorvel::testing
