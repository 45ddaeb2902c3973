#include "platform/gdi/GdiObjects.h"

namespace win {

using namespace gdi;

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto region = std::make_shared<Region>();
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const cairo_rectangle_int_t r{left, top, right - left, bottom - top};
  if (r.width > 0 && r.height > 0) cairo_region_union_rectangle(region->region, &r);
  return static_cast<HRGN>(Add(region));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  auto out = FindRegion(dst);
  auto a = FindRegion(src1);
  auto b = FindRegion(src2);
  if (!out || !a || (mode != RGN_COPY && !b)) return ERROR;
  cairo_region_t* result = cairo_region_copy(a->region);
  switch (mode) {
    case RGN_COPY: break;
    case RGN_AND: cairo_region_intersect(result, b->region); break;
    case RGN_OR: cairo_region_union(result, b->region); break;
    case RGN_XOR: cairo_region_xor(result, b->region); break;
    case RGN_DIFF: cairo_region_subtract(result, b->region); break;
    default:
      cairo_region_destroy(result);
      return ERROR;
  }
  cairo_region_destroy(out->region);
  out->region = result;
  return RegionType(result);
}

int GetRgnBox(HRGN handle, RECT* rect) {
  auto region = FindRegion(handle);
  if (!region || !rect) return ERROR;
  cairo_rectangle_int_t box;
  cairo_region_get_extents(region->region, &box);
  *rect = RECT{box.x, box.y, box.x + box.width, box.y + box.height};
  return RegionType(region->region);
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  auto region = FindRegion(handle);
  return region && cairo_region_contains_point(region->region, x, y);
}

}  // namespace win
