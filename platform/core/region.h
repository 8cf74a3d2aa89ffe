// A set of pixels as y-x banded rectangles, over pixman's regions: window
// update areas and the region objects behind HRGN.
#pragma once

#include <pixman.h>

#include <vector>

#include "platform/win32/types.h"

namespace platform::core {

class Region {
 public:
  Region() { pixman_region32_init(&region_); }
  explicit Region(const RECT& rect);
  Region(const Region& other);
  Region& operator=(const Region& other);
  ~Region() { pixman_region32_fini(&region_); }

  bool empty() const;
  RECT bounds() const;  // all zero when empty
  bool contains(int x, int y) const;
  std::vector<RECT> rects() const;
  bool operator==(const Region& other) const;

  void clear();
  void set(const RECT& rect);
  void unite(const RECT& rect);
  void unite(const Region& other);
  void intersect(const Region& other);
  void subtract(const Region& other);
  void exclusive_or(const Region& other);
  void translate(int dx, int dy);

 private:
  pixman_region32_t region_;
};

}  // namespace platform::core
