// The sprite-sheet animation: which cell each call shows, how the record
// advances, the panel's size and facing, and the GL state it leaves.
#include <climits>
#include <cmath>
#include <cstring>

#include "sorvel/sorvel.h"
#include "tests/rendering/rendering_test.h"

namespace sorvel::testing {
namespace {

struct Cell {
  float left, right, bottom, top;
  bool operator==(const Cell&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Cell& c) {
  return out << "s " << c.left << "-" << c.right << ", t " << c.bottom << "-" << c.top;
}

struct Flags {
  bool lock, fog, light, alpha;
};

class SpriteAnimation : public RenderingTest {
 protected:
  TGLFX_3DANIMATION anim_{};

  // One call with a panel of 1 x 1 at the origin; the cell it showed, read
  // from the corners' texture coordinates.
  Cell draw(std::int32_t rows, std::int32_t columns, float time) {
    look_at_eye_space(2);
    const auto vertices = all_vertices(capture_feedback(
        [&] { FX_3DANIMATION(anim_, 0, 0, 0, 1, 1, rows, columns, time, false, false, false, false); }));
    EXPECT_EQ(vertices.size(), 6u);
    Cell cell{NAN, NAN, NAN, NAN};
    for (const FeedbackVertex& v : vertices) {
      const Vec3 at = eye_position(v);
      (at[0] < 0 ? cell.left : cell.right) = v.texture[0];
      (at[1] < 0 ? cell.bottom : cell.top) = v.texture[1];
    }
    return cell;
  }
};

TEST_F(SpriteAnimation, EightCellsAcrossShowEachForNineCalls) {
  for (int call = 0; call < 72; ++call) {
    const float k = static_cast<float>(call / 9);
    ASSERT_EQ(draw(8, 1, 0.125f), (Cell{k / 8, (k + 1) / 8, 0, 1})) << "call " << call + 1;
    if (call == 0) {
      EXPECT_EQ(anim_.ROWS, 8);
      EXPECT_EQ(anim_.COLUMNS, 1);
    }
    if (call == 8) {
      EXPECT_EQ(anim_.V.X, 0.125f);
      EXPECT_EQ(anim_.POS, 0.0f);
    }
    EXPECT_EQ(anim_.V.Y, 0.0f);  // with one cell down, reset at every advance
  }
  EXPECT_EQ(anim_.V.X, 0.0f);
  EXPECT_EQ(anim_.POS, 0.0f);
}

TEST_F(SpriteAnimation, TwoByTwoGoesDownEachStripThenAcross) {
  const Cell expected[] = {
      {0, 0.5f, 0.5f, 1}, {0, 0.5f, 0, 0.5f}, {0.5f, 1, 0.5f, 1}, {0.5f, 1, 0, 0.5f}, {0, 0.5f, 0.5f, 1}};
  for (const Cell& cell : expected) EXPECT_EQ(draw(2, 2, 2), cell);
}

TEST_F(SpriteAnimation, TimeZeroNeverAdvances) {
  for (int call = 0; call < 20; ++call) ASSERT_EQ(draw(8, 1, 0), (Cell{0, 0.125f, 0, 1}));
  EXPECT_EQ(anim_.POS, 0.0f);
}

// The offsets add up in 32-bit floats: for some counts the sum after n
// steps is still just below 1, and one more step, just past the sheet's
// edge, comes before the wrap.
TEST_F(SpriteAnimation, WrapComesWhenTheRoundedSumReachesOne) {
  struct {
    std::int32_t cells;
    int steps;
  } const cases[] = {{1, 1}, {2, 2}, {8, 8}, {10, 10}, {11, 12}, {12, 13}, {16, 16}};
  for (const auto& c : cases) {
    for (const bool down : {true, false}) {
      SCOPED_TRACE(::testing::Message() << c.cells << (down ? " cells down a strip" : " cells across"));
      anim_ = {};
      Cell last{};
      int steps = 0;
      do {
        last = down ? draw(1, c.cells, 2) : draw(c.cells, 1, 2);
        ++steps;
      } while ((anim_.V.X != 0 || anim_.V.Y != 0) && steps < 100);
      EXPECT_EQ(steps, c.steps);
      if (c.steps > c.cells) {
        // The extra cell lies past the edge; the repeat wrap maps it onto the start.
        EXPECT_LT(down ? last.bottom : 1 - last.right, 0);
        EXPECT_NEAR(down ? last.top : last.left, down ? 0 : 1, 1e-6f);
      }
    }
  }
}

struct PanelCase {
  const char* name;
  std::function<void()> transform;
  bool lock;
  float x, sx, sy;
  Vec3 centre, half;  // in eye space
};

TEST_F(SpriteAnimation, PanelSizeAndFacing) {
  const auto scaled_and_turned = [] {
    glScalef(4, 4, 4);
    glRotatef(60, 0, 1, 0);
  };
  const auto turned = [] { glRotatef(60, 0, 1, 0); };
  const auto none = [] {};
  const float sin60 = std::sqrt(3.0f) / 2;
  const PanelCase cases[] = {
      {"billboard of no size is 1 x 1", scaled_and_turned, true, 0, 0, 0, {0, 0, 0}, {1, 1, 0}},
      {"billboard adds one to each half-extent", turned, true, 0, 2, 0.5f, {0, 0, 0}, {3, 1.5f, 0}},
      {"billboard moves a tenth along the screen", turned, true, 10, 0, 0, {1, 0, 0}, {1, 1, 0}},
      {"unlocked panel turns with the scene", turned, false, 0, 2, 1, {0, 0, 0}, {1, 1, 2 * sin60}},
      {"unlocked panel moves in the scene", none, false, 1, 1, 1, {1, 0, 0}, {1, 1, 0}},
  };
  for (const PanelCase& c : cases) {
    SCOPED_TRACE(c.name);
    look_at_eye_space(8);
    c.transform();
    const auto triangles = capture_feedback(
        [&] { FX_3DANIMATION(anim_, c.x, 0, 0, c.sx, c.sy, 8, 1, 0.125f, c.lock, false, false, false); });
    ASSERT_EQ(triangles.size(), 2u);
    for (const FeedbackPrimitive& triangle : triangles) {
      for (const FeedbackVertex& v : triangle.vertices) {
        const Vec3 at = eye_position(v);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(std::fabs(at[i] - c.centre[i]), c.half[i], 1e-4f) << i;
      }
      if (c.lock) {
        const auto& w = triangle.vertices;
        const float area = (w[1].window[0] - w[0].window[0]) * (w[2].window[1] - w[0].window[1]) -
                           (w[2].window[0] - w[0].window[0]) * (w[1].window[1] - w[0].window[1]);
        EXPECT_GT(area, 0) << "counter-clockwise towards the viewer";
      }
    }
  }
}

TEST_F(SpriteAnimation, StateLeftAfterEachFlagCombination) {
  for (int bits = 0; bits < 16; ++bits) {
    const Flags f{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0};
    SCOPED_TRACE(::testing::Message() << "LOCK " << f.lock << " FOG " << f.fog << " LIGHT " << f.light << " ALPHA "
                                      << f.alpha);
    // A sprite mode left on, culling, lighting and fog off.
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_ZERO, GL_ONE);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    const Matrix before = get_matrix(GL_MODELVIEW_MATRIX);

    FX_3DANIMATION(anim_, 0, 0, -1, 1, 1, 8, 1, 0.125f, f.lock, f.fog, f.light, f.alpha);

    expect_no_gl_error();
    EXPECT_TRUE(enabled(GL_CULL_FACE));
    EXPECT_TRUE(enabled(GL_LIGHTING));
    EXPECT_EQ(enabled(GL_FOG), f.fog);
    const bool sprite_ended = f.alpha || f.light;
    EXPECT_EQ(enabled(GL_BLEND), !sprite_ended);
    EXPECT_EQ(enabled(GL_ALPHA_TEST), !sprite_ended);
    EXPECT_EQ(get_int(GL_DEPTH_WRITEMASK), sprite_ended ? GL_TRUE : GL_FALSE);
    EXPECT_EQ(get_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(get_floats4(GL_CURRENT_COLOR),
              f.light ? (std::array<float, 4>{256, 256, 256, 10}) : (std::array<float, 4>{0.2f, 0.3f, 0.4f, 0.5f}));
    EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), before);
    EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), 1);
  }
}

// The panel over the whole viewport, untextured, on a dark red background,
// with lighting on (which would darken it) and a green current colour.
TEST_F(SpriteAnimation, PanelIsUnlitAndFollowsItsFlags) {
  struct {
    const char* name;
    Flags flags;
    bool fog_before;
    std::array<std::uint8_t, 3> rgb;
    float depth;
  } const cases[] = {
      {"unlit, in the current colour", {false, false, false, false}, false, {0, 128, 0}, 0.75f},
      {"full brightness", {false, false, true, false}, false, {255, 255, 255}, 0.75f},
      {"added by alpha, no depth written", {false, false, false, true}, false, {64, 128, 0}, 1.0f},
      {"bright and added", {false, false, true, true}, false, {255, 255, 255}, 1.0f},
      {"fog suspended", {false, true, false, false}, true, {0, 128, 0}, 0.75f},
      {"fog not suspended", {false, false, false, false}, true, {0, 0, 255}, 0.75f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    look_at_eye_space(1);
    glClearColor(0.25f, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    const GLfloat blue[4] = {0, 0, 1, 1};
    glFogfv(GL_FOG_COLOR, blue);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 0);
    glFogf(GL_FOG_END, 0.1f);  // the panel, half a unit away, is wholly fogged
    if (c.fog_before) glEnable(GL_FOG);
    glColor4f(0, 0.5f, 0, 1);
    const Flags& f = c.flags;
    FX_3DANIMATION(anim_, 0, 0, -0.5f, 1, 1, 8, 1, 0.125f, f.lock, f.fog, f.light, f.alpha);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    const auto pixel = read_pixel(256, 256);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(pixel[i], c.rgb[i], 1) << "channel " << i;
    EXPECT_NEAR(read_depth(256, 256), c.depth, 1e-6f);
  }
}

// A sheet without cells draws nothing and changes nothing.
TEST_F(SpriteAnimation, GridWithoutCellsIsIgnored) {
  struct {
    std::int32_t rows, columns;
  } const cases[] = {{0, 1}, {1, 0}, {-3, 2}, {INT_MIN, 5}, {0, 0}};
  look_at_eye_space(2);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rows << " x " << c.columns);
    anim_ = {7, 9, {0.5f, 0.25f, 0.75f}, 0.5f};
    const TGLFX_3DANIMATION before = anim_;
    const auto primitives = capture_feedback(
        [&] { FX_3DANIMATION(anim_, 0, 0, 0, 1, 1, c.rows, c.columns, 0.125f, true, true, true, true); });
    EXPECT_TRUE(primitives.empty());
    EXPECT_EQ(std::memcmp(&anim_, &before, sizeof anim_), 0);
    EXPECT_FALSE(enabled(GL_CULL_FACE));
    EXPECT_FALSE(enabled(GL_LIGHTING));
    EXPECT_EQ(get_floats4(GL_CURRENT_COLOR), (std::array<float, 4>{1, 1, 1, 1}));
    expect_no_gl_error();
  }
}

}  // namespace
}  // namespace sorvel::testing
