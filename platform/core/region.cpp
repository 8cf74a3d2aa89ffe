#include "platform/core/region.h"

namespace platform::core {
namespace {

pixman_box32_t box_of(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
bool well_formed(const RECT& r) { return r.left < r.right && r.top < r.bottom; }

}  // namespace

Region::Region(const RECT& rect) {
  if (well_formed(rect)) {
    pixman_region32_init_rect(&region_, rect.left, rect.top, static_cast<unsigned>(rect.right - rect.left),
                              static_cast<unsigned>(rect.bottom - rect.top));
  } else {
    pixman_region32_init(&region_);
  }
}

Region::Region(const Region& other) {
  pixman_region32_init(&region_);
  pixman_region32_copy(&region_, &other.region_);
}

Region& Region::operator=(const Region& other) {
  if (this != &other) pixman_region32_copy(&region_, &other.region_);
  return *this;
}

bool Region::empty() const { return !pixman_region32_not_empty(&region_); }

RECT Region::bounds() const {
  if (empty()) return {0, 0, 0, 0};
  const pixman_box32_t* box = pixman_region32_extents(&region_);
  return {box->x1, box->y1, box->x2, box->y2};
}

bool Region::contains(int x, int y) const {
  return pixman_region32_contains_point(&region_, x, y, nullptr) != 0;
}

std::vector<RECT> Region::rects() const {
  int count = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&region_, &count);
  std::vector<RECT> out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
  return out;
}

bool Region::operator==(const Region& other) const {
  return pixman_region32_equal(&region_, &other.region_) != 0;
}

void Region::clear() { pixman_region32_clear(&region_); }

void Region::set(const RECT& rect) {
  clear();
  unite(rect);
}

void Region::unite(const RECT& rect) {
  if (!well_formed(rect)) return;
  const pixman_box32_t box = box_of(rect);
  pixman_region32_union_rect(&region_, &region_, box.x1, box.y1, static_cast<unsigned>(box.x2 - box.x1),
                             static_cast<unsigned>(box.y2 - box.y1));
}

void Region::unite(const Region& other) { pixman_region32_union(&region_, &region_, &other.region_); }
void Region::intersect(const Region& other) { pixman_region32_intersect(&region_, &region_, &other.region_); }
void Region::subtract(const Region& other) { pixman_region32_subtract(&region_, &region_, &other.region_); }

void Region::exclusive_or(const Region& other) {
  Region both(*this);
  both.intersect(other);
  unite(other);
  subtract(both);
}

void Region::translate(int dx, int dy) { pixman_region32_translate(&region_, dx, dy); }

}  // namespace platform::core
