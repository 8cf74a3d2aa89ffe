// Face normals, textured edges and textured boxes, in immediate mode.
#include <cmath>

#include "sorvel/sorvel.h"

constinit sorvel::CheckedTable<double, 1, 3> FNORMAL{"FNORMAL"};

namespace {

// Rescales the three values to unit length once more, this time through a
// 32-bit length. After FINDNORMAL's own division that length rounds to 1.0.
void reduce_to_unit(double* vector) {
  float length = static_cast<float>(std::sqrt(static_cast<long double>(vector[0]) * vector[0] +
                                              static_cast<long double>(vector[1]) * vector[1] +
                                              static_cast<long double>(vector[2]) * vector[2]));
  if (length == 0.0f) length = 1.0f;
  for (int i = 0; i < 3; ++i) vector[i] = static_cast<double>(vector[i] / static_cast<long double>(length));
}

// One corner of a box face: on each axis whether it takes the second bound
// (X2, Y2, Z2) rather than the first, and whether its s and t are TSIZE
// rather than 0.
struct FaceCorner {
  bool x2, y2, z2;
  bool s, t;
};

// The six faces in drawing order (+z, -z, +y, -y, +x, -x). For a box with
// X1 < X2, Y1 < Y2 and Z1 < Z2 each face runs counter-clockwise seen from
// outside and shows its texture unmirrored.
constexpr FaceCorner kBoxFaces[6][4] = {
    {{0, 0, 1, 0, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {0, 1, 1, 0, 1}},
    {{0, 0, 0, 1, 0}, {0, 1, 0, 1, 1}, {1, 1, 0, 0, 1}, {1, 0, 0, 0, 0}},
    {{0, 1, 0, 0, 1}, {0, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, 1, 0, 1, 1}},
    {{0, 0, 0, 1, 1}, {1, 0, 0, 0, 1}, {1, 0, 1, 0, 0}, {0, 0, 1, 1, 0}},
    {{1, 0, 0, 1, 0}, {1, 1, 0, 1, 1}, {1, 1, 1, 0, 1}, {1, 0, 1, 0, 0}},
    {{0, 0, 0, 0, 0}, {0, 0, 1, 1, 0}, {0, 1, 1, 1, 1}, {0, 1, 0, 0, 1}},
};

}  // namespace

void FINDNORMAL(double V1X, double V1Y, double V1Z, double V2X, double V2Y, double V2Z, double V3X, double V3Y,
                double V3Z) {
  using Extended = long double;
  const double TEMP_V1[3] = {static_cast<double>(Extended{V1X} - V2X), static_cast<double>(Extended{V1Y} - V2Y),
                             static_cast<double>(Extended{V1Z} - V2Z)};
  const double TEMP_V2[3] = {static_cast<double>(Extended{V2X} - V3X), static_cast<double>(Extended{V2Y} - V3Y),
                             static_cast<double>(Extended{V2Z} - V3Z)};
  // (V1 - V2) x (V2 - V3) points to the side from which V1, V2, V3 run
  // counter-clockwise.
  FNORMAL[1] = static_cast<double>(Extended{TEMP_V1[1]} * TEMP_V2[2] - Extended{TEMP_V1[2]} * TEMP_V2[1]);
  FNORMAL[2] = static_cast<double>(Extended{TEMP_V1[2]} * TEMP_V2[0] - Extended{TEMP_V1[0]} * TEMP_V2[2]);
  FNORMAL[3] = static_cast<double>(Extended{TEMP_V1[0]} * TEMP_V2[1] - Extended{TEMP_V1[1]} * TEMP_V2[0]);
  double TEMP_LENGHT = static_cast<double>(std::sqrt(
      Extended{FNORMAL[1]} * FNORMAL[1] + Extended{FNORMAL[2]} * FNORMAL[2] + Extended{FNORMAL[3]} * FNORMAL[3]));
  if (TEMP_LENGHT == 0.0) TEMP_LENGHT = 1.0;  // collinear or equal corners: the zero normal stays zero
  for (long long i = 1; i <= 3; ++i) FNORMAL[i] = static_cast<double>(Extended{FNORMAL[i]} / TEMP_LENGHT);
  reduce_to_unit(FNORMAL.data());
}

void LINEFREE(float TX1, float TY1, float TX2, float TY2, float X1, float Y1, float Z1, float X2, float Y2, float Z2,
              bool TEXTURE) {
  if (TEXTURE) glTexCoord2f(TX1, TY1);
  glVertex3f(X1, Y1, Z1);
  if (TEXTURE) glTexCoord2f(TX2, TY2);
  glVertex3f(X2, Y2, Z2);
}

void CUBO(float X, float Y, float Z, float X1, float Y1, float Z1, float X2, float Y2, float Z2, float TSIZE) {
  struct Corner {
    float x, y, z, s, t;
  };
  const auto corner = [&](const FaceCorner& c) {
    return Corner{c.x2 ? X2 : X1, c.y2 ? Y2 : Y1, c.z2 ? Z2 : Z1, c.s ? TSIZE : 0.0f, c.t ? TSIZE : 0.0f};
  };
  const auto edge = [](const Corner& a, const Corner& b) {
    LINEFREE(a.s, a.t, b.s, b.t, a.x, a.y, a.z, b.x, b.y, b.z, true);
  };

  glPushMatrix();
  glTranslatef(X, Y, Z);
  glBegin(GL_QUADS);
  for (const auto& face : kBoxFaces) {
    const Corner c1 = corner(face[0]), c2 = corner(face[1]), c3 = corner(face[2]), c4 = corner(face[3]);
    FINDNORMAL(c1.x, c1.y, c1.z, c2.x, c2.y, c2.z, c3.x, c3.y, c3.z);
    glNormal3f(static_cast<GLfloat>(FNORMAL[1]), static_cast<GLfloat>(FNORMAL[2]), static_cast<GLfloat>(FNORMAL[3]));
    edge(c1, c2);
    edge(c3, c4);
  }
  glEnd();
  glPopMatrix();
}
