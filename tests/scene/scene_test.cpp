// Frames of the real demo scene on a real GL context, checked by reading
// the pixels and the matrices back: the background, the floor and the
// see-through cage where the view puts them, the fire's cell advancing once
// per frame, and the mouse camera turning and pushing the scene.
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "demo_scene/scene.h"
#include "sorvel/sorvel.h"
#include "tests/support/gl_test_context.h"

namespace {

using sorvel::testing::GlTestContext;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// The clear colour (119/300, 187/300, 0.85) in 8-bit channels.
constexpr std::array<int, 3> kBackground = {101, 159, 217};

struct Frame {
  std::vector<std::uint8_t> rgba;  // bottom row first
  std::array<int, 3> at(int x, int y) const {
    EXPECT_TRUE(x >= 0 && x < kWidth && y >= 0 && y < kHeight) << x << "," << y << " is off the window";
    x = std::clamp(x, 0, kWidth - 1);
    y = std::clamp(y, 0, kHeight - 1);
    const std::size_t i = (static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
  }
};

bool near(const std::array<int, 3>& a, const std::array<int, 3>& b, int tolerance = 1) {
  for (int c = 0; c < 3; ++c) {
    if (std::abs(a[c] - b[c]) > tolerance) return false;
  }
  return true;
}

class DemoScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    context_ = new GlTestContext(kWidth, kHeight);
    ASSERT_TRUE(context_->error().empty()) << context_->error();
    ASSERT_EQ(chdir(SORVEL_DEMO_FOLDER), 0) << "the scene's textures are in the demo's folder";
    WIDTH = kWidth;
    HEIGHT = kHeight;
    prepare_scene();
  }
  static void TearDownTestSuite() { delete context_; }

  void SetUp() override {
    XROT = YROT = DEPTH = XROT2 = YROT2 = DEPTH2 = 0;
    LEFTMOUSEDOWN = RIGHTMOUSEDOWN = false;
    ANIM = {};
  }

  // One pass of the frame loop, without the pump and the swap.
  static Frame draw() {
    glClear(GL_COLOR_BUFFER_BIT);
    OPENGL_DRAW();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return {context_->read_pixels()};
  }

  // Where a point of the scene's frame lands on the window, as the last
  // frame drew it.
  static std::array<int, 2> project(double x, double y, double z) {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx, wy, wz;
    gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
    return {static_cast<int>(std::lround(wx)), static_cast<int>(std::lround(wy))};
  }

  static std::array<float, 16> modelview() {
    std::array<float, 16> m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
  }

  // The scene frame the view should give for the mouse state.
  static std::array<float, 16> expected_scene_frame() {
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, -8, -60);
    glRotatef(25, 1, 0, 0);
    glTranslatef(0, 0, -DEPTH);
    glRotatef(XROT, 1, 0, 0);
    glRotatef(YROT, 0, 1, 0);
    glRotatef(45, 0, 1, 0);
    std::array<float, 16> m = modelview();
    glPopMatrix();
    return m;
  }

  static void expect_frames(const std::array<float, 16>& a, const std::array<float, 16>& b) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], 1e-4) << "element " << i;
  }

  static GlTestContext* context_;
};

GlTestContext* DemoScene::context_ = nullptr;

TEST_F(DemoScene, EveryFrameClearsToTheSkyColourAndLeavesTheSceneFrame) {
  for (int frame = 1; frame <= 3; ++frame) {
    const Frame f = draw();
    EXPECT_TRUE(near(f.at(4, kHeight - 5), kBackground)) << "frame " << frame;
    EXPECT_TRUE(near(f.at(kWidth - 5, 4), kBackground)) << "frame " << frame;
    expect_frames(modelview(), expected_scene_frame());
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_ALPHA_TEST));
  }
}

TEST_F(DemoScene, FloorAndSeeThroughCageStandWhereTheViewPutsThem) {
  const Frame f = draw();
  // The floor left of the cage: stone, grey and lit from above.
  const auto [fx, fy] = project(-17, -2.5, -5);
  const auto stone = f.at(fx, fy);
  EXPECT_FALSE(near(stone, kBackground, 30));
  EXPECT_LT(std::abs(stone[0] - stone[2]), 60) << "grey stone";
  EXPECT_GT(stone[1], 40) << "lit from above";

  // Around the middle of the cage's left face: wires, and sky through the holes.
  const auto [cx, cy] = project(-12, 12, 0);
  int sky = 0, wire = 0;
  for (int y = cy - 20; y < cy + 20; ++y) {
    for (int x = cx - 20; x < cx + 20; ++x) {
      const auto p = f.at(x, y);
      if (near(p, kBackground)) ++sky;
      if (p[0] + p[1] + p[2] < 200) ++wire;
    }
  }
  EXPECT_GT(sky, 160) << "the net's holes show the sky";
  EXPECT_GT(wire, 160) << "the net's wires";
}

TEST_F(DemoScene, FireStepsOneCellPerFrameAndRepeatsEveryEight) {
  std::vector<std::vector<std::array<int, 3>>> fire;
  for (int frame = 1; frame <= 9; ++frame) {
    const Frame f = draw();
    const auto [x0, y0] = project(0, 12, 0);
    std::vector<std::array<int, 3>> region;
    for (int y = y0 - 30; y < y0 + 30; ++y) {
      for (int x = x0 - 15; x < x0 + 15; ++x) region.push_back(f.at(x, y));
    }
    fire.push_back(std::move(region));
  }
  EXPECT_NE(fire[0], fire[1]) << "frame 2 shows the next cell";
  EXPECT_EQ(fire[0], fire[8]) << "frame 9 shows the first cell again";
  int warm = 0;
  for (const auto& p : fire[0]) warm += p[0] > p[2] + 40 ? 1 : 0;
  EXPECT_GT(warm, 300) << "the fire's reds and yellows";
}

TEST_F(DemoScene, DragsTurnAndPushTheSceneInTheNextFrame) {
  const Frame before = draw();  // sets the mouse speed to 2
  ASSERT_EQ(MSPEED, 2);
  GLWNDPROC(HWINDOW, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 300));
  GLWNDPROC(HWINDOW, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(400, 310));
  GLWNDPROC(HWINDOW, WM_LBUTTONUP, 0, MAKELPARAM(400, 310));
  EXPECT_FLOAT_EQ(XROT, 10.0f) << "ten pixels down, ten degrees";
  const Frame turned = draw();
  expect_frames(modelview(), expected_scene_frame());
  EXPECT_NE(before.rgba, turned.rgba);

  GLWNDPROC(HWINDOW, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(400, 300));
  GLWNDPROC(HWINDOW, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(400, 290));
  GLWNDPROC(HWINDOW, WM_RBUTTONUP, 0, MAKELPARAM(400, 290));
  EXPECT_FLOAT_EQ(DEPTH, 2.0f) << "ten pixels up, two units away";
  draw();
  expect_frames(modelview(), expected_scene_frame());
}

}  // namespace
