// Face normals, textured edges and the textured box, seen through
// feedback: positions, texture coordinates, and normals turned into
// texture coordinates by GL's normal-map generation.
#include <cmath>
#include <vector>

#include "sorvel/sorvel.h"
#include "tests/rendering/rendering_test.h"

namespace sorvel::testing {
namespace {

using Vec3d = std::array<double, 3>;

struct NormalCase {
  const char* name;
  Vec3d v1, v2, v3;
  Vec3d normal;
};

const NormalCase kNormalCases[] = {
    {"counter-clockwise from +z", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 1}},
    {"clockwise from +z", {1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, -1}},
    {"larger triangle, still unit length", {0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 0, 1}},
    {"slanted", {0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {0, -std::sqrt(0.5), std::sqrt(0.5)}},
    // Its squared length underflows a 64-bit float but not the extended type.
    {"tiny triangle", {0, 0, 0}, {1e-100, 0, 0}, {1e-100, 1e-100, 0}, {0, 0, 1}},
    {"collinear corners", {0, 0, 0}, {1, 1, 1}, {3, 3, 3}, {0, 0, 0}},
    {"equal corners", {2, 2, 2}, {2, 2, 2}, {2, 2, 2}, {0, 0, 0}},
};

TEST(FindNormal, GivesTheUnitNormalOfTheCounterClockwiseSide) {
  for (const NormalCase& c : kNormalCases) {
    SCOPED_TRACE(c.name);
    FINDNORMAL(c.v1[0], c.v1[1], c.v1[2], c.v2[0], c.v2[1], c.v2[2], c.v3[0], c.v3[1], c.v3[2]);
    for (long long i = 1; i <= 3; ++i) {
      EXPECT_NEAR(FNORMAL[i], c.normal[static_cast<std::size_t>(i - 1)], 1e-15) << "FNORMAL[" << i << "]";
    }
  }
}

using Solids = RenderingTest;

TEST_F(Solids, EdgeWithoutTextureKeepsTheCurrentCoordinate) {
  look_at_eye_space(4);
  glTexCoord2f(0.25f, 0.75f);
  auto lines = capture_feedback([] {
    glBegin(GL_LINES);
    LINEFREE(9, 9, 9, 9, 0, 0, 0, 1, 2, 3, false);
    glEnd();
  });
  ASSERT_EQ(lines.size(), 1u);
  for (const FeedbackVertex& v : lines[0].vertices) {
    EXPECT_EQ(v.texture[0], 0.25f);
    EXPECT_EQ(v.texture[1], 0.75f);
  }
  const Vec3 end = eye_position(lines[0].vertices[1]);
  EXPECT_NEAR(end[0], 1, 1e-5f);
  EXPECT_NEAR(end[2], 3, 1e-5f);

  lines = capture_feedback([] {
    glBegin(GL_LINES);
    LINEFREE(0.5f, 0, 1, 0.5f, 0, 0, 0, 1, 2, 3, true);
    glEnd();
  });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].vertices[0].texture[0], 0.5f);
  EXPECT_EQ(lines[0].vertices[1].texture[1], 0.5f);
  EXPECT_EQ(get_floats4(GL_CURRENT_TEXTURE_COORDS), (std::array<float, 4>{1, 0.5f, 0, 1}));
}

struct ExpectedCorner {
  Vec3 position;  // of the box from (-1, -1, -1) to (1, 1, 1)
  float s, t;     // in units of TSIZE
};

struct ExpectedFace {
  const char* name;
  Vec3 normal;
  ExpectedCorner corners[4];
};

// The box's faces in drawing order; each shows its texture upright and
// unmirrored from outside.
const ExpectedFace kUnitBoxFaces[6] = {
    {"front +z", {0, 0, 1}, {{{-1, -1, 1}, 0, 0}, {{1, -1, 1}, 1, 0}, {{1, 1, 1}, 1, 1}, {{-1, 1, 1}, 0, 1}}},
    {"back -z", {0, 0, -1}, {{{-1, -1, -1}, 1, 0}, {{-1, 1, -1}, 1, 1}, {{1, 1, -1}, 0, 1}, {{1, -1, -1}, 0, 0}}},
    {"top +y", {0, 1, 0}, {{{-1, 1, -1}, 0, 1}, {{-1, 1, 1}, 0, 0}, {{1, 1, 1}, 1, 0}, {{1, 1, -1}, 1, 1}}},
    {"bottom -y", {0, -1, 0}, {{{-1, -1, -1}, 1, 1}, {{1, -1, -1}, 0, 1}, {{1, -1, 1}, 0, 0}, {{-1, -1, 1}, 1, 0}}},
    {"right +x", {1, 0, 0}, {{{1, -1, -1}, 1, 0}, {{1, 1, -1}, 1, 1}, {{1, 1, 1}, 0, 1}, {{1, -1, 1}, 0, 0}}},
    {"left -x", {-1, 0, 0}, {{{-1, -1, -1}, 0, 0}, {{-1, -1, 1}, 1, 0}, {{-1, 1, 1}, 1, 1}, {{-1, 1, -1}, 0, 1}}},
};

constexpr float kTolerance = 1e-4f;

bool near(const Vec3& a, const Vec3& b) {
  return std::fabs(a[0] - b[0]) < kTolerance && std::fabs(a[1] - b[1]) < kTolerance &&
         std::fabs(a[2] - b[2]) < kTolerance;
}

Vec3 minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Runs draw with the eye-space normal of every vertex in its (s, t, r).
std::vector<FeedbackPrimitive> capture_normals(const std::function<void()>& draw) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const std::uint8_t white[4] = {255, 255, 255, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glEnable(GL_TEXTURE_2D);  // Mesa generates coordinates only for an enabled unit
  for (GLenum coordinate : {GL_S, GL_T, GL_R}) glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
  for (GLenum generation : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) glEnable(generation);
  auto primitives = capture_feedback(draw);
  for (GLenum generation : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) glDisable(generation);
  glDisable(GL_TEXTURE_2D);
  glDeleteTextures(1, &texture);
  return primitives;
}

Vec3 normal_of(const FeedbackVertex& v) { return {v.texture[0], v.texture[1], v.texture[2]}; }

struct BoxCase {
  const char* name;
  Vec3 translation;
  float tsize;
};

TEST_F(Solids, BoxDrawsSixOutwardQuadsWithTiledCoordinates) {
  const BoxCase cases[] = {{"unit tiling", {0, 0, 0}, 1}, {"three tiles, moved", {0.5f, -0.25f, 1}, 3}};
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    look_at_eye_space(4);
    const auto& d = c.translation;
    const auto draw = [&] { CUBO(d[0], d[1], d[2], -1, -1, -1, 1, 1, 1, c.tsize); };
    const auto triangles = capture_feedback(draw);
    const auto with_normals = capture_normals(draw);
    ASSERT_EQ(triangles.size(), 12u);  // six quads, two triangles each
    ASSERT_EQ(with_normals.size(), 12u);

    for (std::size_t f = 0; f < 6; ++f) {
      const ExpectedFace& face = kUnitBoxFaces[f];
      SCOPED_TRACE(face.name);
      std::vector<const FeedbackVertex*> vertices;
      for (std::size_t k = 2 * f; k < 2 * f + 2; ++k) {
        ASSERT_EQ(triangles[k].vertices.size(), 3u);
        for (const auto& v : triangles[k].vertices) vertices.push_back(&v);
        const Vec3 p0 = eye_position(triangles[k].vertices[0]);
        const Vec3 turn =
            cross(minus(eye_position(triangles[k].vertices[1]), p0), minus(eye_position(triangles[k].vertices[2]), p0));
        EXPECT_GT(dot(turn, face.normal), 0) << "counter-clockwise seen from outside";
        for (const auto& v : with_normals[k].vertices) EXPECT_TRUE(near(normal_of(v), face.normal));
      }
      for (const ExpectedCorner& corner : face.corners) {
        const Vec3 at{corner.position[0] + d[0], corner.position[1] + d[1], corner.position[2] + d[2]};
        bool found = false;
        for (const FeedbackVertex* v : vertices) {
          if (!near(eye_position(*v), at)) continue;
          found = true;
          EXPECT_EQ(v->texture[0], corner.s * c.tsize);
          EXPECT_EQ(v->texture[1], corner.t * c.tsize);
        }
        EXPECT_TRUE(found) << "no vertex at (" << at[0] << ", " << at[1] << ", " << at[2] << ")";
      }
      for (const FeedbackVertex* v : vertices) {
        const Vec3 p = minus(eye_position(*v), d);
        EXPECT_NEAR(dot(p, face.normal), 1, kTolerance) << "off the face's plane";
      }
    }
  }
}

TEST_F(Solids, BoxLeavesTheMatrixAndTheLastFacesNormal) {
  glTranslatef(1, 2, 3);
  const Matrix before = get_matrix(GL_MODELVIEW_MATRIX);
  CUBO(5, 5, 5, -1, -1, -1, 1, 1, 1, 3);
  EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), before);
  EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), 1);
  EXPECT_EQ(FNORMAL[1], -1.0);
  EXPECT_EQ(FNORMAL[2], 0.0);
  EXPECT_EQ(FNORMAL[3], 0.0);
  EXPECT_EQ(get_floats4(GL_CURRENT_NORMAL), (std::array<float, 4>{-1, 0, 0, 0}));
  EXPECT_EQ(get_floats4(GL_CURRENT_TEXTURE_COORDS), (std::array<float, 4>{0, 3, 0, 1}));
}

// One pair of bounds given the wrong way round turns every face inward.
TEST_F(Solids, BoxWithReversedBoundsIsInsideOut) {
  look_at_eye_space(4);
  const auto primitives = capture_normals([] { CUBO(0, 0, 0, 1, -1, -1, -1, 1, 1, 1); });
  ASSERT_EQ(primitives.size(), 12u);
  const auto positions = capture_feedback([] { CUBO(0, 0, 0, 1, -1, -1, -1, 1, 1, 1); });
  ASSERT_EQ(positions.size(), 12u);
  for (std::size_t k = 0; k < 12; ++k) {
    const auto& triangle = positions[k].vertices;
    const Vec3 p0 = eye_position(triangle[0]);
    const Vec3 turn = cross(minus(eye_position(triangle[1]), p0), minus(eye_position(triangle[2]), p0));
    EXPECT_LT(dot(turn, p0), 0) << "triangle " << k << " runs clockwise seen from outside";
    for (const auto& v : primitives[k].vertices) {
      EXPECT_LT(dot(normal_of(v), eye_position(v)), 0) << "triangle " << k << "'s normal points inward";
    }
  }
}

// Looking at the box along -z with culling on: the ordered box shows its
// near face, the inside-out one the inside of its far face.
TEST_F(Solids, CullingShowsTheOutsideOrTheInside) {
  struct {
    const char* name;
    float x1, x2;
    float depth;
  } const cases[] = {{"ordered", -1, 1, 0.25f}, {"inside out", 1, -1, 0.75f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    look_at_eye_space(2);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    SETGLREFRACTIVE();
    CUBO(0, 0, 0, c.x1, -1, -1, c.x2, 1, 1, 1);
    EXPECT_NEAR(read_depth(256, 256), c.depth, 1e-6f);
  }
}

}  // namespace
}  // namespace sorvel::testing
