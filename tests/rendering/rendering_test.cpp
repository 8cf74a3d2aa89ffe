#include "tests/rendering/rendering_test.h"

#include <algorithm>
#include <cstdint>

#include "sorvel/sorvel.h"

namespace sorvel::testing {

namespace {

constexpr GLsizei kFeedbackCapacity = 1 << 16;
constexpr std::size_t kFloatsPerVertex = 11;  // GL_3D_COLOR_TEXTURE in RGBA mode
constexpr int kEyeViewportSide = 512;
constexpr GLfloat kStartAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr GLfloat kStartWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

FeedbackVertex read_vertex(const std::vector<GLfloat>& buffer, std::size_t& at) {
  FeedbackVertex v{};
  for (std::size_t i = 0; i < 3; ++i) v.window[i] = buffer[at + i];
  for (std::size_t i = 0; i < 4; ++i) v.colour[i] = buffer[at + 3 + i];
  for (std::size_t i = 0; i < 4; ++i) v.texture[i] = buffer[at + 7 + i];
  at += kFloatsPerVertex;
  return v;
}

}  // namespace

std::vector<FeedbackPrimitive> capture_feedback(const std::function<void()>& draw) {
  std::vector<GLfloat> buffer(kFeedbackCapacity);
  glFeedbackBuffer(kFeedbackCapacity, GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "the feedback buffer overflowed";

  std::vector<FeedbackPrimitive> primitives;
  std::size_t at = 0;
  const auto end = static_cast<std::size_t>(used < 0 ? 0 : used);
  while (at < end) {
    const auto token = static_cast<GLenum>(buffer[at++]);
    FeedbackPrimitive primitive{token, {}};
    std::size_t count = 0;
    switch (token) {
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        count = 1;
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        count = 2;
        break;
      case GL_POLYGON_TOKEN:
        count = static_cast<std::size_t>(buffer[at++]);
        break;
      case GL_PASS_THROUGH_TOKEN:
        ++at;
        break;
      default:
        ADD_FAILURE() << "unknown feedback token " << buffer[at - 1];
        return primitives;
    }
    for (std::size_t i = 0; i < count; ++i) primitive.vertices.push_back(read_vertex(buffer, at));
    primitives.push_back(primitive);
  }
  return primitives;
}

std::vector<FeedbackVertex> all_vertices(const std::vector<FeedbackPrimitive>& primitives) {
  std::vector<FeedbackVertex> vertices;
  for (const auto& p : primitives) vertices.insert(vertices.end(), p.vertices.begin(), p.vertices.end());
  return vertices;
}

Matrix get_matrix(GLenum which) {
  Matrix m{};
  glGetFloatv(which, m.data());
  return m;
}

Matrix identity_matrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Vec3 transform_point(const Matrix& m, const Vec3& p) {
  Vec3 out{};
  for (std::size_t row = 0; row < 3; ++row) {
    out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
  }
  return out;
}

std::array<float, 4> get_floats4(GLenum name) {
  std::array<float, 4> values{};
  glGetFloatv(name, values.data());
  return values;
}

GLint get_int(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

bool enabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

void expect_no_gl_error() { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

void RenderingTest::SetUp() {
  context_ = std::make_unique<GlTestContext>(kWindowWidth, kWindowHeight);
  ASSERT_EQ(context_->error(), "");
  WIDTH = kWindowWidth;
  HEIGHT = kWindowHeight;
  OFFX = OFFY = 0.0f;
  std::ranges::copy(kStartAmbient, AMBIENTLIGHT);
  std::ranges::copy(kStartWhite, DIFFUSELIGHT);
  std::ranges::copy(kStartWhite, SPECULARLIGHT);
  std::ranges::fill(LIGHTPOSITION, 0.0f);
  MY = {0.0f, 0.0f, 0.0f};
  FNORMAL.fill(0.0);
  XROT = YROT = DEPTH = 0.0f;
  MSPEED = 0;
}

void RenderingTest::TearDown() {
  if (context_ && context_->error().empty()) expect_no_gl_error();
  context_.reset();
}

void RenderingTest::look_at_eye_space(float half_extent) {
  eye_half_extent_ = half_extent;
  glViewport(0, 0, kEyeViewportSide, kEyeViewportSide);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-half_extent, half_extent, -half_extent, half_extent, -half_extent, half_extent);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

Vec3 RenderingTest::eye_position(const FeedbackVertex& vertex) const {
  const float h = eye_half_extent_;
  const float side = kEyeViewportSide;
  // glOrtho turns z around: the near side of the box is depth 0.
  return {(2.0f * vertex.window[0] / side - 1.0f) * h, (2.0f * vertex.window[1] / side - 1.0f) * h,
          -(2.0f * vertex.window[2] - 1.0f) * h};
}

std::array<std::uint8_t, 4> RenderingTest::read_pixel(int x, int y) const {
  std::array<std::uint8_t, 4> rgba{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

float RenderingTest::read_depth(int x, int y) const {
  float depth = -1.0f;
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  return depth;
}

}  // namespace sorvel::testing
