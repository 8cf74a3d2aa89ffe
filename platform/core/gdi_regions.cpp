// Rectangles and region objects.
#include <algorithm>
#include <cstring>

#include "platform/core/desktop.h"
#include "platform/win32.h"

using platform::core::desktop;
using platform::core::Region;
using platform::core::RegionObject;

namespace {

RegionObject* region_of(HRGN region) { return desktop().find<RegionObject>(region); }

int kind_of(const Region& region) {
  if (region.empty()) return NULLREGION;
  return region.rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HRGN add_region(Region region) {
  auto object = std::make_unique<RegionObject>();
  object->region = std::move(region);
  return desktop().add<HRGN>(std::move(object));
}

}  // namespace

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
  if (rect == nullptr) return FALSE;
  *rect = {left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(RECT* rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL IsRectEmpty(const RECT* rect) {
  return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top ? TRUE : FALSE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
  return rect != nullptr && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
                 point.y < rect->bottom
             ? TRUE
             : FALSE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  rect->left += dx, rect->right += dx, rect->top += dy, rect->bottom += dy;
  return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  rect->left -= dx, rect->right += dx, rect->top -= dy, rect->bottom += dy;
  return TRUE;
}

BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b) {
  if (dest == nullptr || a == nullptr || b == nullptr) return FALSE;
  const RECT out{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                 std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&out)) {
    SetRectEmpty(dest);
    return FALSE;
  }
  *dest = out;
  return TRUE;
}

BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b) {
  if (dest == nullptr || a == nullptr || b == nullptr) return FALSE;
  if (IsRectEmpty(a)) {
    *dest = *b;
  } else if (IsRectEmpty(b)) {
    *dest = *a;
  } else {
    *dest = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
             std::max(a->bottom, b->bottom)};
  }
  return IsRectEmpty(dest) ? FALSE : TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  return a != nullptr && b != nullptr && std::memcmp(a, b, sizeof(RECT)) == 0 ? TRUE : FALSE;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return add_region(Region(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                                std::max(top, bottom)}));
}

HRGN ExtCreateRegion(const void* transform, DWORD bytes, const RGNDATA* data) {
  if (transform != nullptr || data == nullptr || bytes < sizeof(RGNDATAHEADER) ||
      data->rdh.dwSize < sizeof(RGNDATAHEADER) || data->rdh.iType != RDH_RECTANGLES) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::uint64_t needed = std::uint64_t{data->rdh.dwSize} + std::uint64_t{data->rdh.nCount} * sizeof(RECT);
  if (needed > bytes) {
    platform::core::set_last_error(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* rects = reinterpret_cast<const BYTE*>(data) + data->rdh.dwSize;
  Region region;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT r;
    std::memcpy(&r, rects + std::size_t{i} * sizeof(RECT), sizeof r);
    region.unite(r);
  }
  return add_region(std::move(region));
}

int CombineRgn(HRGN dest, HRGN source1, HRGN source2, int mode) {
  RegionObject* to = region_of(dest);
  const RegionObject* a = region_of(source1);
  const RegionObject* b = region_of(source2);
  if (to == nullptr || a == nullptr || (mode != RGN_COPY && b == nullptr)) return RGN_ERROR;
  Region result = a->region;
  switch (mode) {
    case RGN_AND: result.intersect(b->region); break;
    case RGN_OR: result.unite(b->region); break;
    case RGN_XOR: result.exclusive_or(b->region); break;
    case RGN_DIFF: result.subtract(b->region); break;
    case RGN_COPY: break;
    default: return RGN_ERROR;
  }
  to->region = std::move(result);
  return kind_of(to->region);
}

BOOL PtInRegion(HRGN region, int x, int y) {
  const RegionObject* r = region_of(region);
  return r != nullptr && r->region.contains(x, y) ? TRUE : FALSE;
}

int GetRgnBox(HRGN region, RECT* rect) {
  const RegionObject* r = region_of(region);
  if (r == nullptr || rect == nullptr) return RGN_ERROR;
  *rect = r->region.bounds();
  return kind_of(r->region);
}

DWORD GetRegionData(HRGN region, DWORD bytes, RGNDATA* data) {
  const RegionObject* r = region_of(region);
  if (r == nullptr) return 0;
  const std::vector<RECT> rects = r->region.rects();
  const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  if (data == nullptr) return needed;
  if (bytes < needed) return 0;
  data->rdh = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()),
                            static_cast<DWORD>(rects.size() * sizeof(RECT)), r->region.bounds()};
  std::memcpy(reinterpret_cast<BYTE*>(data) + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  return needed;
}

int OffsetRgn(HRGN region, int x, int y) {
  RegionObject* r = region_of(region);
  if (r == nullptr) return RGN_ERROR;
  r->region.translate(x, y);
  return kind_of(r->region);
}

BOOL EqualRgn(HRGN region1, HRGN region2) {
  const RegionObject* a = region_of(region1);
  const RegionObject* b = region_of(region2);
  return a != nullptr && b != nullptr && a->region == b->region ? TRUE : FALSE;
}
