// What the tests of the view and geometry routines share: a fresh GL
// context and fresh library globals per test, and ways to see what GL was
// given (state queries, feedback, pixels).
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "tests/support/gl_test_context.h"

namespace sorvel::testing {

using Vec3 = std::array<float, 3>;
using Matrix = std::array<float, 16>;  // column-major, as GL keeps it

struct FeedbackVertex {
  Vec3 window;  // x, y in pixels, z the depth in [0, 1]
  std::array<float, 4> colour;
  std::array<float, 4> texture;  // s, t, r, q
};

struct FeedbackPrimitive {
  GLenum token;  // GL_POINT_TOKEN, GL_LINE_TOKEN, GL_POLYGON_TOKEN, ...
  std::vector<FeedbackVertex> vertices;
};

// Runs draw in feedback mode and returns what reached the rasteriser,
// in order. Mesa hands a quad on as two triangles.
std::vector<FeedbackPrimitive> capture_feedback(const std::function<void()>& draw);

// Every vertex of every primitive, in order.
std::vector<FeedbackVertex> all_vertices(const std::vector<FeedbackPrimitive>& primitives);

Matrix get_matrix(GLenum which);  // GL_MODELVIEW_MATRIX or GL_PROJECTION_MATRIX
Matrix identity_matrix();
Vec3 transform_point(const Matrix& m, const Vec3& p);
std::array<float, 4> get_floats4(GLenum name);
GLint get_int(GLenum name);
bool enabled(GLenum capability);
// Reads and clears GL's error flag, expecting no error.
void expect_no_gl_error();

class RenderingTest : public ::testing::Test {
 protected:
  static constexpr int kWindowWidth = 800;
  static constexpr int kWindowHeight = 600;

  // A fresh context (with GL's defaults) and the library's globals at their
  // start values.
  void SetUp() override;
  // No routine may leave a GL error behind.
  void TearDown() override;

  // Projection that maps eye space one to one onto a square viewport:
  // x, y and z in [-half_extent, half_extent], identity model-view.
  void look_at_eye_space(float half_extent);
  // Where a feedback vertex was in eye space, under look_at_eye_space.
  Vec3 eye_position(const FeedbackVertex& vertex) const;

  std::array<std::uint8_t, 4> read_pixel(int x, int y) const;
  float read_depth(int x, int y) const;

  std::unique_ptr<GlTestContext> context_;

 private:
  float eye_half_extent_ = 1.0f;
};

}  // namespace sorvel::testing
