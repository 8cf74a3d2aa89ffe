#include "platform/core/system_images.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace platform::core {
namespace {

constexpr int kSize = 32;
constexpr double kPi = 3.14159265358979323846;

struct Vec {
  double x, y;
};

double length(Vec v) { return std::hypot(v.x, v.y); }

double segment_distance(Vec p, Vec a, Vec b) {
  const Vec ab{b.x - a.x, b.y - a.y};
  const Vec ap{p.x - a.x, p.y - a.y};
  const double t = std::clamp((ap.x * ab.x + ap.y * ab.y) / (ab.x * ab.x + ab.y * ab.y), 0.0, 1.0);
  return length({ap.x - t * ab.x, ap.y - t * ab.y});
}

// Signed distances (negative inside) of the shapes the icons are made of.
using Shape = std::function<double(Vec)>;

Shape disc(Vec centre, double radius) {
  return [=](Vec p) { return length({p.x - centre.x, p.y - centre.y}) - radius; };
}

Shape stroke(Vec a, Vec b, double half_width) {
  return [=](Vec p) { return segment_distance(p, a, b) - half_width; };
}

// An arc of a circle from angle `from` to `to` (degrees, y pointing down).
Shape arc(Vec centre, double radius, double from, double to, double half_width) {
  return [=](Vec p) {
    double angle = std::atan2(p.y - centre.y, p.x - centre.x) * 180.0 / kPi;
    while (angle < from) angle += 360.0;
    if (angle <= to) return std::abs(length({p.x - centre.x, p.y - centre.y}) - radius) - half_width;
    auto end = [&](double degrees) {
      const double r = degrees * kPi / 180.0;
      return Vec{centre.x + radius * std::cos(r), centre.y + radius * std::sin(r)};
    };
    const Vec a = end(from);
    const Vec b = end(to);
    return std::min(length({p.x - a.x, p.y - a.y}), length({p.x - b.x, p.y - b.y})) - half_width;
  };
}

Shape both(Shape a, Shape b) {
  return [=](Vec p) { return std::min(a(p), b(p)); };
}

Shape triangle(Vec a, Vec b, Vec c) {
  return [=](Vec p) {
    auto edge = [&](Vec from, Vec to) {
      const Vec e{to.x - from.x, to.y - from.y};
      const double n = length(e);
      return ((p.x - from.x) * e.y - (p.y - from.y) * e.x) / n;  // outside positive for clockwise order
    };
    return std::max({edge(a, b), edge(b, c), edge(c, a)});
  };
}

// Coverage of a pixel by a shape, anti-aliased over one pixel.
double coverage(const Shape& shape, int x, int y) {
  return std::clamp(0.5 - shape({x + 0.5, y + 0.5}), 0.0, 1.0);
}

std::uint32_t blend(std::uint32_t rgb, std::uint32_t over, double amount) {
  auto channel = [&](int shift) {
    const double a = (rgb >> shift) & 0xFF;
    const double b = (over >> shift) & 0xFF;
    return static_cast<std::uint32_t>(std::lround(a + (b - a) * amount)) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

CursorImage draw(const Shape& body, std::uint32_t body_rgb, const Shape& glyph, std::uint32_t glyph_rgb) {
  CursorFrame frame;
  frame.width = frame.height = kSize;
  frame.pixels.resize(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double alpha = coverage(body, x, y);
      const std::uint32_t rgb = blend(body_rgb, glyph_rgb, coverage(glyph, x, y));
      frame.pixels[y * kSize + x] = static_cast<std::uint32_t>(std::lround(alpha * 255.0)) << 24 | rgb;
    }
  }
  return CursorImage{{std::move(frame)}};
}

CursorImage application_icon() {
  CursorFrame frame;
  frame.width = frame.height = kSize;
  frame.pixels.assign(kSize * kSize, 0);
  for (int y = 4; y < 28; ++y) {
    for (int x = 2; x < 30; ++x) {
      const bool border = x == 2 || x == 29 || y == 4 || y == 27;
      const bool title = y >= 5 && y < 10;
      frame.pixels[y * kSize + x] = border ? 0xFF3C3C3C : title ? 0xFF2A6FD6 : 0xFFFFFFFF;
    }
  }
  return CursorImage{{std::move(frame)}};
}

}  // namespace

CursorImage system_icon_image(int id) {
  const Shape circle = disc({16, 16}, 14.5);
  switch (id) {
    case 32513:  // IDI_HAND
      return draw(circle, 0xD83B3B, both(stroke({11, 11}, {21, 21}, 1.9), stroke({21, 11}, {11, 21}, 1.9)), 0xFFFFFF);
    case 32514:  // IDI_QUESTION
      return draw(circle, 0x2B6CD6,
                  both(both(arc({16, 12}, 5.0, 180.0, 405.0, 1.9), stroke({19.5, 15.5}, {16, 18.5}, 1.9)),
                       both(stroke({16, 18.5}, {16, 20.0}, 1.9), disc({16, 24.8}, 2.0))),
                  0xFFFFFF);
    case 32515:  // IDI_EXCLAMATION
      return draw(triangle({16, 2.5}, {30.5, 28.5}, {1.5, 28.5}), 0xF2C200,
                  both(stroke({16, 10}, {16, 19.5}, 1.9), disc({16, 24}, 2.0)), 0x202020);
    case 32516:  // IDI_ASTERISK
      return draw(circle, 0x2B6CD6, both(disc({16, 9.5}, 2.1), stroke({16, 14}, {16, 24}, 1.9)), 0xFFFFFF);
    default:
      return application_icon();
  }
}

}  // namespace platform::core
