// The standard light, its marker point, two-sided lighting, culling and
// the sprite switches: the state each leaves behind, and what then draws.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "sorvel/sorvel.h"
#include "tests/rendering/rendering_test.h"

namespace sorvel::testing {
namespace {

using Rgba = std::array<float, 4>;

Rgba stored_position() { return {LIGHTPOSITION[0], LIGHTPOSITION[1], LIGHTPOSITION[2], LIGHTPOSITION[3]}; }

Rgba light_parameter(GLenum light, GLenum name) {
  Rgba values{};
  glGetLightfv(light, name, values.data());
  return values;
}

using Lights = RenderingTest;

TEST_F(Lights, StandardLightShinesFromItsDirection) {
  SETGLLIGHT(GL_LIGHT0, 0.1f, 0, 0, 0);
  EXPECT_TRUE(enabled(GL_LIGHTING));
  EXPECT_TRUE(enabled(GL_LIGHT0));
  EXPECT_EQ(light_parameter(GL_LIGHT0, GL_AMBIENT), (Rgba{0.5f, 0.5f, 0.5f, 1}));
  EXPECT_EQ(light_parameter(GL_LIGHT0, GL_DIFFUSE), (Rgba{1, 1, 1, 1}));
  EXPECT_EQ(light_parameter(GL_LIGHT0, GL_SPECULAR), (Rgba{1, 1, 1, 1}));
  EXPECT_EQ(light_parameter(GL_LIGHT0, GL_POSITION), (Rgba{0.1f, 0, 0, 0}));  // w = 0: directional
  EXPECT_EQ(stored_position(), (Rgba{0.1f, 0, 0, 0}));
}

TEST_F(Lights, ColoursComeFromTheGlobalsAtTheTimeOfTheCall) {
  AMBIENTLIGHT[1] = 0.125f;
  DIFFUSELIGHT[0] = 0.25f;
  SPECULARLIGHT[2] = 0.75f;
  glRotatef(90, 0, 0, 1);  // the position is given under the current model-view
  SETGLLIGHT(GL_LIGHT3, 1, 0, 0, 1);
  EXPECT_TRUE(enabled(GL_LIGHT3));
  EXPECT_FALSE(enabled(GL_LIGHT0));
  EXPECT_EQ(light_parameter(GL_LIGHT3, GL_AMBIENT), (Rgba{0.5f, 0.125f, 0.5f, 1}));
  EXPECT_EQ(light_parameter(GL_LIGHT3, GL_DIFFUSE), (Rgba{0.25f, 1, 1, 1}));
  EXPECT_EQ(light_parameter(GL_LIGHT3, GL_SPECULAR), (Rgba{1, 1, 0.75f, 1}));
  const Rgba position = light_parameter(GL_LIGHT3, GL_POSITION);
  EXPECT_NEAR(position[0], 0, 1e-6f);
  EXPECT_NEAR(position[1], 1, 1e-6f);
  EXPECT_EQ(position[3], 1);
}

TEST_F(Lights, PointLightMovesTheLightAndMarksIt) {
  look_at_eye_space(20);
  glRotatef(90, 0, 0, 1);
  const auto primitives = capture_feedback([] { PUTGLPOINTLIGHT(GL_LIGHT0, 0.1f, 0, 10, 0, 0); });

  const Rgba position = light_parameter(GL_LIGHT0, GL_POSITION);  // from +y of the turned frame
  EXPECT_NEAR(position[0], -10, 1e-5f);
  EXPECT_NEAR(position[1], 0, 1e-5f);
  EXPECT_EQ(position[3], 0);
  EXPECT_EQ(stored_position(), (Rgba{0, 10, 0, 0}));
  ASSERT_EQ(primitives.size(), 1u);
  EXPECT_EQ(primitives[0].token, static_cast<GLenum>(GL_POINT_TOKEN));
  const Vec3 marker = eye_position(primitives[0].vertices[0]);
  EXPECT_NEAR(marker[0], -10, 1e-3f);
  EXPECT_NEAR(marker[1], 0, 1e-3f);
  float point_size = 0;
  glGetFloatv(GL_POINT_SIZE, &point_size);
  EXPECT_EQ(point_size, 0.1f);  // not restored
  EXPECT_EQ(get_floats4(GL_CURRENT_NORMAL)[2], 1.0f);
  EXPECT_FALSE(enabled(GL_LIGHTING));  // it only moves a light someone else set up
  EXPECT_FALSE(enabled(GL_LIGHT0));
}

// A light GL does not have, or a point size GL refuses, is left out; the
// routine's other calls are made and no error is left behind.
TEST_F(Lights, RefusedLightOrPointSizeLeavesNoError) {
  glPointSize(3);
  struct {
    const char* name;
    std::function<void()> call;
    std::size_t points;
  } const cases[] = {
      {"light name past GL_LIGHT7", [] { SETGLLIGHT(GL_LIGHT0 + 8, 1, 2, 3, 4); }, 0},
      {"light name below GL_LIGHT0", [] { SETGLLIGHT(GL_LIGHT0 - 1, 1, 2, 3, 4); }, 0},
      {"point light past GL_LIGHT7", [] { PUTGLPOINTLIGHT(GL_LIGHT0 + 8, 3, 1, 2, 3, 4); }, 1},
      {"point size 0", [] { PUTGLPOINTLIGHT(GL_LIGHT0, 0, 1, 2, 3, 4); }, 1},
      {"negative point size", [] { PUTGLPOINTLIGHT(GL_LIGHT0, -1, 1, 2, 3, 4); }, 1},
      {"point size not a number",
       [] { PUTGLPOINTLIGHT(GL_LIGHT0, std::numeric_limits<float>::quiet_NaN(), 1, 2, 3, 4); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LIGHTPOSITION[0] = LIGHTPOSITION[1] = LIGHTPOSITION[2] = LIGHTPOSITION[3] = 0;
    look_at_eye_space(8);
    EXPECT_EQ(capture_feedback(c.call).size(), c.points);
    expect_no_gl_error();
    EXPECT_EQ(stored_position(), (Rgba{1, 2, 3, 4}));
    float point_size = 0;
    glGetFloatv(GL_POINT_SIZE, &point_size);
    EXPECT_EQ(point_size, 3.0f);
  }
  EXPECT_TRUE(enabled(GL_LIGHTING));
}

TEST_F(Lights, TwoSidedLightingSwitches) {
  TWOSIDEON();
  EXPECT_EQ(get_int(GL_LIGHT_MODEL_TWO_SIDE), GL_TRUE);
  TWOSIDEOFF();
  EXPECT_EQ(get_int(GL_LIGHT_MODEL_TWO_SIDE), GL_FALSE);
}

// A quad in the x-y plane, counter-clockwise from +z unless reversed.
void draw_unit_quad(bool clockwise) {
  const float x = clockwise ? -1.0f : 1.0f;
  glBegin(GL_QUADS);
  glVertex3f(0, 0, 0);
  glVertex3f(x, 0, 0);
  glVertex3f(x, 1, 0);
  glVertex3f(0, 1, 0);
  glEnd();
}

TEST_F(Lights, CullingDropsClockwisePolygons) {
  glCullFace(GL_FRONT);
  glFrontFace(GL_CW);
  SETGLREFRACTIVE();
  EXPECT_TRUE(enabled(GL_CULL_FACE));
  EXPECT_EQ(get_int(GL_CULL_FACE_MODE), GL_BACK);
  EXPECT_EQ(get_int(GL_FRONT_FACE), GL_CCW);
  EXPECT_EQ(get_int(GL_SHADE_MODEL), GL_SMOOTH);
  look_at_eye_space(2);
  EXPECT_FALSE(capture_feedback([] { draw_unit_quad(false); }).empty());
  EXPECT_TRUE(capture_feedback([] { draw_unit_quad(true); }).empty());
}

struct SpriteState {
  bool blend, alpha_test;
  GLint depth_mask, blend_src, blend_dst, alpha_func;
  float alpha_ref;
  bool operator==(const SpriteState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SpriteState& s) {
  return out << "{blend " << s.blend << ", alpha test " << s.alpha_test << ", depth mask " << s.depth_mask
             << ", blend 0x" << std::hex << s.blend_src << "/0x" << s.blend_dst << ", alpha func 0x" << s.alpha_func
             << std::dec << " " << s.alpha_ref << "}";
}

SpriteState sprite_state() {
  SpriteState s{};
  s.blend = enabled(GL_BLEND);
  s.alpha_test = enabled(GL_ALPHA_TEST);
  s.depth_mask = get_int(GL_DEPTH_WRITEMASK);
  s.blend_src = get_int(GL_BLEND_SRC);
  s.blend_dst = get_int(GL_BLEND_DST);
  s.alpha_func = get_int(GL_ALPHA_TEST_FUNC);
  glGetFloatv(GL_ALPHA_TEST_REF, &s.alpha_ref);
  return s;
}

void init_demo() { OPENGL_INIT(100, 0, 0, 0, 0); }
void blended_lit() { SETGLSPRITE(true); }
void blended() { SETGLSPRITE(false); }
void cut_out() { SETGLSPRITE(); }
void sprite_off() { SETGLSPRITEOFF(); }

// From GL's defaults: blending and alpha test off, depth writes on, blend
// (GL_ONE, GL_ZERO), alpha test (GL_ALWAYS, 0).
struct SwitchCase {
  const char* calls;
  std::vector<void (*)()> sequence;
  SpriteState after;
};

const SwitchCase kSwitchCases[] = {
    {"SETGLSPRITE(true)", {blended_lit}, {true, false, GL_FALSE, GL_ONE, GL_ONE, GL_ALWAYS, 0}},
    {"SETGLSPRITE(true), SETGLSPRITEOFF",
     {blended_lit, sprite_off},
     {false, false, GL_TRUE, GL_ONE, GL_ONE, GL_ALWAYS, 0}},
    {"SETGLSPRITE(false)", {blended}, {true, false, GL_FALSE, GL_ONE, GL_ZERO, GL_ALWAYS, 0}},
    {"OPENGL_INIT, SETGLSPRITE(false)",
     {init_demo, blended},
     {true, false, GL_FALSE, GL_SRC_ALPHA, GL_ONE, GL_ALWAYS, 0}},
    {"SETGLSPRITE()", {cut_out}, {false, true, GL_TRUE, GL_ONE, GL_ZERO, GL_GREATER, 0.4f}},
    {"SETGLSPRITE(), SETGLSPRITEOFF",
     {cut_out, sprite_off},
     {false, false, GL_TRUE, GL_ONE, GL_ZERO, GL_GREATER, 0.4f}},
    {"both modes, SETGLSPRITEOFF",
     {blended_lit, cut_out, sprite_off},
     {false, false, GL_TRUE, GL_ONE, GL_ONE, GL_GREATER, 0.4f}},
    {"SETGLSPRITEOFF alone", {sprite_off}, {false, false, GL_TRUE, GL_ONE, GL_ZERO, GL_ALWAYS, 0}},
    {"SETGLSPRITE(true), SETGLSPRITEOFF twice",
     {blended_lit, sprite_off, sprite_off},
     {false, false, GL_TRUE, GL_ONE, GL_ONE, GL_ALWAYS, 0}},
};

TEST_F(Lights, SpriteSwitchesLeaveThisState) {
  for (const SwitchCase& c : kSwitchCases) {
    SCOPED_TRACE(c.calls);
    context_.reset();
    context_ = std::make_unique<GlTestContext>(kWindowWidth, kWindowHeight);
    for (auto call : c.sequence) call();
    EXPECT_EQ(sprite_state(), c.after);
    expect_no_gl_error();
  }
}

// Two quads side by side at depth 0.5, one at the alpha limit, one above.
TEST_F(Lights, CutOutDropsAlphaUpToTheLimitAndDrawsTheRestSolid) {
  look_at_eye_space(1);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // would halve the colour if blending were on
  SETGLSPRITE();
  glBegin(GL_QUADS);
  glColor4f(1, 1, 1, 0.4f);
  glVertex3f(-1, -1, 0), glVertex3f(0, -1, 0), glVertex3f(0, 1, 0), glVertex3f(-1, 1, 0);
  glColor4f(1, 1, 1, 0.45f);
  glVertex3f(0, -1, 0), glVertex3f(1, -1, 0), glVertex3f(1, 1, 0), glVertex3f(0, 1, 0);
  glEnd();

  EXPECT_EQ(read_pixel(128, 256), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(read_depth(128, 256), 1.0f);
  const auto drawn = read_pixel(384, 256);
  EXPECT_EQ(drawn[0], 255);
  EXPECT_EQ(drawn[3], 115);  // 0.45 written as it is, not blended
  EXPECT_NEAR(read_depth(384, 256), 0.5f, 1e-6f);
}

TEST_F(Lights, BlendedSpriteAddsAndWritesNoDepth) {
  look_at_eye_space(1);
  glClearColor(0.25f, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  struct {
    const char* name;
    bool light;
    std::uint8_t green;
  } const cases[] = {{"weighted by alpha", false, 64}, {"purely additive", true, 128}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    SETGLSPRITE(c.light);
    glColor4f(0, 0.5f, 0, 0.5f);
    glRectf(-1, -1, 1, 1);
    SETGLSPRITEOFF();
    const auto pixel = read_pixel(256, 256);
    EXPECT_EQ(pixel[0], 64);
    EXPECT_NEAR(pixel[1], c.green, 1);
    EXPECT_EQ(read_depth(256, 256), 1.0f);
  }
}

}  // namespace
}  // namespace sorvel::testing
