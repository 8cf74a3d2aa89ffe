// The 3D and 2D projection set-ups, the overlay origin, the billboard
// bracket and the radian conversion, seen through GL's own state.
#include <cmath>
#include <numbers>

#include "sorvel/sorvel.h"
#include "tests/rendering/rendering_test.h"

namespace sorvel::testing {
namespace {

// The demo's background, as it hands it to OPENGL_INIT.
constexpr double kDemoRed = 119.0 / 300.0;
constexpr double kDemoGreen = 187.0 / 300.0;
constexpr double kDemoBlue = 0.85;

// gluPerspective's matrix, worked out here from its definition.
Matrix perspective(double fovy_degrees, double aspect, double near, double far) {
  const double f = 1.0 / std::tan(fovy_degrees * std::numbers::pi / 360.0);
  Matrix m{};
  m[0] = static_cast<float>(f / aspect);
  m[5] = static_cast<float>(f);
  m[10] = static_cast<float>((far + near) / (near - far));
  m[11] = -1.0f;
  m[14] = static_cast<float>(2.0 * far * near / (near - far));
  return m;
}

Matrix orthographic(double half_width, double half_height, double half_depth) {
  Matrix m = identity_matrix();
  m[0] = static_cast<float>(1.0 / half_width);
  m[5] = static_cast<float>(1.0 / half_height);
  m[10] = static_cast<float>(-1.0 / half_depth);
  return m;
}

void expect_matrix_near(const Matrix& actual, const Matrix& expected) {
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_NEAR(actual[i], expected[i], 1e-6 * (1.0 + std::fabs(expected[i]))) << "element " << i;
  }
}

// What OPENGL_INIT and OPENGL_I2D rebuild, for comparing two calls.
struct ViewState {
  Matrix projection, modelview;
  std::array<float, 4> clear_colour, colour;
  float clear_depth;
  std::array<GLint, 4> viewport;
  GLint matrix_mode, depth_func, blend_src, blend_dst, local_viewer;
  bool depth_test, normalize, auto_normal;

  bool operator==(const ViewState&) const = default;
};

ViewState view_state() {
  ViewState s{};
  s.projection = get_matrix(GL_PROJECTION_MATRIX);
  s.modelview = get_matrix(GL_MODELVIEW_MATRIX);
  s.clear_colour = get_floats4(GL_COLOR_CLEAR_VALUE);
  s.colour = get_floats4(GL_CURRENT_COLOR);
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &s.clear_depth);
  glGetIntegerv(GL_VIEWPORT, s.viewport.data());
  s.matrix_mode = get_int(GL_MATRIX_MODE);
  s.depth_func = get_int(GL_DEPTH_FUNC);
  s.blend_src = get_int(GL_BLEND_SRC);
  s.blend_dst = get_int(GL_BLEND_DST);
  s.local_viewer = get_int(GL_LIGHT_MODEL_LOCAL_VIEWER);
  s.depth_test = enabled(GL_DEPTH_TEST);
  s.normalize = enabled(GL_NORMALIZE);
  s.auto_normal = enabled(GL_AUTO_NORMAL);
  return s;
}

using Projection = RenderingTest;

TEST_F(Projection, DemoSetUpOn800By600) {
  OPENGL_INIT(100, 0, kDemoRed, kDemoGreen, kDemoBlue);
  const ViewState s = view_state();

  EXPECT_EQ(s.viewport, (std::array<GLint, 4>{0, 0, 800, 600}));
  expect_matrix_near(s.projection, perspective(45.0, 800.0 / 600.0, 0.1, 100.0));
  EXPECT_EQ(s.modelview, identity_matrix());
  EXPECT_EQ(s.matrix_mode, GL_MODELVIEW);
  // Alpha comes first in the arguments, last in the clear colour.
  EXPECT_EQ(s.clear_colour, (std::array<float, 4>{static_cast<float>(kDemoRed), static_cast<float>(kDemoGreen),
                                                  static_cast<float>(kDemoBlue), 0.0f}));
  EXPECT_EQ(s.clear_depth, 1.0f);  // a far distance of 100, clamped
  EXPECT_TRUE(s.depth_test);
  EXPECT_EQ(s.depth_func, GL_LEQUAL);
  EXPECT_EQ(s.colour, (std::array<float, 4>{1, 1, 1, 0.5f}));
  EXPECT_EQ(s.blend_src, GL_SRC_ALPHA);
  EXPECT_EQ(s.blend_dst, GL_ONE);
  EXPECT_FALSE(enabled(GL_BLEND));
  EXPECT_EQ(s.local_viewer, 1);
  EXPECT_EQ(get_int(GL_LINE_SMOOTH_HINT), GL_NICEST);
  EXPECT_EQ(get_int(GL_POLYGON_SMOOTH_HINT), GL_NICEST);
  EXPECT_EQ(get_int(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
  EXPECT_TRUE(s.auto_normal);
  EXPECT_TRUE(s.normalize);
}

TEST_F(Projection, DepthIsFarPlaneAndClearDepth) {
  OPENGL_INIT(0.5, 1, 0.25, 0.5, 0.75);
  expect_matrix_near(get_matrix(GL_PROJECTION_MATRIX), perspective(45.0, 800.0 / 600.0, 0.1, 0.5));
  double clear_depth = 0;
  glGetDoublev(GL_DEPTH_CLEAR_VALUE, &clear_depth);
  EXPECT_EQ(clear_depth, 0.5);
  EXPECT_EQ(get_floats4(GL_COLOR_CLEAR_VALUE), (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
}

TEST_F(Projection, InitRebuildsFromIdentityEveryCall) {
  glMatrixMode(GL_PROJECTION);
  glRotatef(30, 1, 0, 0);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1, 2, 3);
  OPENGL_INIT(100, 0, kDemoRed, kDemoGreen, kDemoBlue);
  const ViewState first = view_state();
  glTranslatef(4, 5, 6);
  OPENGL_INIT(100, 0, kDemoRed, kDemoGreen, kDemoBlue);
  EXPECT_EQ(view_state(), first);
}

TEST_F(Projection, OverlayThenInitLeavesOnlyTheOffsets) {
  OPENGL_INIT(100, 0, kDemoRed, kDemoGreen, kDemoBlue);
  const ViewState perspective_only = view_state();
  OPENGL_I2D(0, 0, 0, 0);
  SETPOSXY(0, 0);
  OPENGL_INIT(100, 0, kDemoRed, kDemoGreen, kDemoBlue);
  EXPECT_EQ(view_state(), perspective_only);
  EXPECT_EQ(OFFX, -2.05f);
  EXPECT_EQ(OFFY, -1.45f);
}

TEST_F(Projection, OverlayChangesNoStateBeyondItsOwn) {
  glColor4f(0.2f, 0.3f, 0.4f, 0.6f);
  glBlendFunc(GL_ZERO, GL_SRC_COLOR);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  OPENGL_I2D(0.25, 0.5, 0.75, 1.0);
  EXPECT_EQ(get_floats4(GL_COLOR_CLEAR_VALUE), (std::array<float, 4>{0.5f, 0.75f, 1.0f, 0.25f}));
  EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), identity_matrix());
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_TRUE(enabled(GL_DEPTH_TEST));
  EXPECT_EQ(get_int(GL_DEPTH_FUNC), GL_LEQUAL);
  EXPECT_TRUE(enabled(GL_NORMALIZE));

  EXPECT_EQ(get_floats4(GL_CURRENT_COLOR), (std::array<float, 4>{0.2f, 0.3f, 0.4f, 0.6f}));
  EXPECT_EQ(get_int(GL_BLEND_SRC), GL_ZERO);
  EXPECT_EQ(get_int(GL_BLEND_DST), GL_SRC_COLOR);
  EXPECT_EQ(get_int(GL_PERSPECTIVE_CORRECTION_HINT), GL_FASTEST);
  EXPECT_EQ(get_int(GL_LIGHT_MODEL_LOCAL_VIEWER), 0);
  EXPECT_FALSE(enabled(GL_AUTO_NORMAL));
}

struct OverlayCase {
  const char* name;
  std::int32_t width, height;
  float offx, offy;
  double half_height;  // of the orthographic box; its half-width is always 2
  std::array<GLint, 4> viewport;
};

// Zero sides are not made by the window system; the projection then takes
// a side of zero as one, while the viewport keeps the real size.
const OverlayCase kOverlayCases[] = {
    {"wider than tall", 800, 600, -2.05f, -1.45f, 1.5, {0, 0, 800, 600}},
    {"taller than wide", 600, 800, -1.05f, -0.45f, 1600.0 / 600.0, {0, 0, 600, 800}},
    {"three times as tall", 300, 1000, 0.95f, 1.55f, 2000.0 / 300.0, {0, 0, 300, 1000}},
    {"square", 500, 500, -1.05f, -0.45f, 2.0, {0, 0, 500, 500}},
    {"zero width", 0, 600, 597.95f, 598.55f, 1200.0, {0, 0, 0, 600}},
    {"zero height", 800, 0, -2.05f, -1.45f, 2.0 / 800.0, {0, 0, 800, 0}},
    {"no size at all", 0, 0, -1.05f, -0.45f, 2.0, {0, 0, 0, 0}},
};

TEST_F(Projection, OverlayBoxAndOffsetsFollowTheWindowShape) {
  for (const OverlayCase& c : kOverlayCases) {
    SCOPED_TRACE(c.name);
    WIDTH = c.width;
    HEIGHT = c.height;
    OPENGL_I2D(0, 0, 0, 0);
    expect_no_gl_error();
    EXPECT_EQ(OFFX, c.offx);
    EXPECT_EQ(OFFY, c.offy);
    expect_matrix_near(get_matrix(GL_PROJECTION_MATRIX), orthographic(2.0, c.half_height, 2.0));
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, c.viewport);
  }
}

TEST_F(Projection, InitOnAWindowWithoutSizeStaysWellFormed) {
  struct {
    std::int32_t width, height;
    double aspect;
  } const cases[] = {{0, 600, 1.0 / 600.0}, {800, 0, 800.0}, {0, 0, 1.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    WIDTH = c.width;
    HEIGHT = c.height;
    OPENGL_INIT(100, 0, 0, 0, 0);
    expect_no_gl_error();
    expect_matrix_near(get_matrix(GL_PROJECTION_MATRIX), perspective(45.0, c.aspect, 0.1, 100.0));
  }
}

TEST_F(Projection, OverlayOriginMovesLeftForXAndUpForY) {
  struct {
    float x, y;
    Vec3 translation;
  } const cases[] = {{200, 100, {-1.0f, 0.5f, 0}}, {0, 0, {0, 0, 0}}, {-400, -300, {2.0f, -1.5f, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "SETPOSXY(" << c.x << ", " << c.y << ")");
    OPENGL_I2D(0, 0, 0, 0);
    SETPOSXY(c.x, c.y);
    Matrix expected = identity_matrix();
    expected[12] = c.translation[0];
    expected[13] = c.translation[1];
    EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), expected);
  }
}

// A 10 x 10 quad in the x-y plane around the anchor, as a billboard draws.
void draw_square_of_ten() {
  glBegin(GL_QUADS);
  glVertex3f(-5, -5, 0);
  glVertex3f(5, -5, 0);
  glVertex3f(5, 5, 0);
  glVertex3f(-5, 5, 0);
  glEnd();
}

struct BillboardCase {
  const char* name;
  std::function<void()> transform;  // the model-view the bracket starts from
  Vec3 anchor;
  Vec3 centre;  // where the anchor lands in eye space
};

TEST_F(Projection, BillboardFacesTheViewerAtATenthOfItsSize) {
  const BillboardCase cases[] = {
      {"after a quarter turn about y", [] { glRotatef(90, 0, 1, 0); }, {0, 0, 0}, {0, 0, 0}},
      {"anchor turned with the scene", [] { glRotatef(90, 0, 1, 0); }, {2, 0, 0}, {0, 0, -2}},
      {"scaled and tilted",
       [] {
         glTranslatef(1, -1, 0);
         glScalef(3, 3, 3);
         glRotatef(30, 1, 0, 0);
       },
       {0, 0, 0},
       {1, -1, 0}},
  };
  for (const BillboardCase& c : cases) {
    SCOPED_TRACE(c.name);
    look_at_eye_space(4);
    c.transform();
    const Matrix before = get_matrix(GL_MODELVIEW_MATRIX);
    GLint depth_inside = 0;
    const auto primitives = capture_feedback([&] {
      LOCKVIEWMODELBEGIN(c.anchor[0], c.anchor[1], c.anchor[2]);
      glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_inside);
      draw_square_of_ten();
      LOCKVIEWMODELEND();
    });
    EXPECT_EQ(depth_inside, 3);
    const auto vertices = all_vertices(primitives);
    ASSERT_FALSE(vertices.empty());
    for (const FeedbackVertex& v : vertices) {
      const Vec3 eye = eye_position(v);
      EXPECT_NEAR(std::fabs(eye[0] - c.centre[0]), 0.5f, 1e-4f);
      EXPECT_NEAR(std::fabs(eye[1] - c.centre[1]), 0.5f, 1e-4f);
      EXPECT_NEAR(eye[2], c.centre[2], 1e-4f);
    }
    EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), before);  // exactly, not nearly
    EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), 1);
  }
}

TEST(RadToDeg, ConvertsThroughExtendedPrecision) {
  struct {
    float radian, degrees;
  } const cases[] = {
      {0.0f, 0.0f},
      {std::numbers::pi_v<float>, 180.0f},
      {std::numbers::pi_v<float> / 4, 45.0f},
      {-std::numbers::pi_v<float> / 2, -90.0f},
      {1.0f, 57.2957795f},
  };
  for (const auto& c : cases) EXPECT_EQ(RADTODEG(c.radian), c.degrees) << "radian " << c.radian;
}

}  // namespace
}  // namespace sorvel::testing
