#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiObjects.h"

namespace win {

using namespace gdi;

namespace {

// Calls `fill(rect)` for each part of `area` that drawing on `dc` may touch.
template <typename Fill>
bool ForEachDrawable(const DC& dc, const Bitmap& target, RECT area, Fill fill) {
  cairo_region_t* drawable = DrawableRegion(dc, target);
  const cairo_rectangle_int_t wanted{area.left, area.top, area.right - area.left, area.bottom - area.top};
  if (wanted.width > 0 && wanted.height > 0) {
    cairo_region_t* piece = cairo_region_create_rectangle(&wanted);
    cairo_region_intersect(piece, drawable);
    const int n = cairo_region_num_rectangles(piece);
    for (int i = 0; i < n; ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(piece, i, &r);
      fill(RECT{r.x, r.y, r.x + r.width, r.y + r.height});
    }
    cairo_region_destroy(piece);
  }
  cairo_region_destroy(drawable);
  cairo_surface_mark_dirty(target.surface);
  return true;
}

void FillPixels(const Bitmap& target, const RECT& r, std::uint32_t pixel) {
  for (int y = r.top; y < r.bottom; ++y) std::fill(target.Row(y) + r.left, target.Row(y) + r.right, pixel);
}

struct BlitPair {
  std::shared_ptr<DC> dst, src;
  std::shared_ptr<Bitmap> dstBits, srcBits;
  bool ok() const { return dst && src && dstBits && srcBits; }
};

BlitPair Pair(HDC dst, HDC src) {
  BlitPair p{FindDC(dst), FindDC(src), nullptr, nullptr};
  if (p.dst) p.dstBits = TargetOf(*p.dst);
  if (p.src) p.srcBits = TargetOf(*p.src);
  if (!p.ok()) SetLastError(ERROR_INVALID_HANDLE);
  if (p.srcBits) cairo_surface_flush(p.srcBits->surface);
  if (p.dstBits) cairo_surface_flush(p.dstBits->surface);
  return p;
}

// Maps destination pixels to source pixels (nearest neighbour) and calls
// `combine(dst, src)` for each pair inside both bitmaps and the clip.
template <typename Combine>
BOOL Transfer(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, Combine combine) {
  BlitPair p = Pair(dst, src);
  if (!p.ok()) return FALSE;
  if (w == 0 || h == 0) return TRUE;
  const Bitmap& from = *p.srcBits;
  const bool same = &from == p.dstBits.get();
  // Reading and writing one bitmap: read from a copy of the source rows.
  std::vector<std::uint32_t> copy;
  if (same) copy.assign(reinterpret_cast<std::uint32_t*>(from.data),
                        reinterpret_cast<std::uint32_t*>(from.data) + std::size_t(from.stride / 4) * from.height);
  auto sourceRow = [&](int row) {
    return same ? copy.data() + std::size_t(row) * (from.stride / 4) : from.Row(row);
  };
  const int x0 = std::min(x, x + w), y0 = std::min(y, y + h);
  const RECT area{x0, y0, x0 + std::abs(w), y0 + std::abs(h)};
  ForEachDrawable(*p.dst, *p.dstBits, area, [&](const RECT& r) {
    for (int dy = r.top; dy < r.bottom; ++dy) {
      const double v = (dy - y + 0.5) / h;
      const int syy = sy + int(std::floor(v * sh));
      if (syy < 0 || syy >= from.height) continue;
      std::uint32_t* out = p.dstBits->Row(dy);
      const std::uint32_t* in = sourceRow(syy);
      for (int dx = r.left; dx < r.right; ++dx) {
        const double u = (dx - x + 0.5) / w;
        const int sxx = sx + int(std::floor(u * sw));
        if (sxx < 0 || sxx >= from.width) continue;
        combine(out[dx], in[sxx]);
      }
    }
  });
  return TRUE;
}

std::uint8_t Mul(unsigned a, unsigned b) { return std::uint8_t((a * b + 127) / 255); }

}  // namespace

int FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  auto dc = FindDC(handle);
  auto brush = FindAs<Brush>(brushHandle, Kind::Brush);
  auto target = dc ? TargetOf(*dc) : nullptr;
  if (!dc || !brush || !target || !rect) return 0;
  if (brush->hollow) return 1;
  const std::uint32_t pixel = PixelOf(brush->color);
  ForEachDrawable(*dc, *target, *rect, [&](const RECT& r) { FillPixels(*target, r, pixel); });
  return 1;
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
  auto dc = FindDC(handle);
  auto target = dc ? TargetOf(*dc) : nullptr;
  if (!dc || !target) return FALSE;
  auto pen = FindAs<Pen>(dc->pen, Kind::Pen);
  auto brush = FindAs<Brush>(dc->brush, Kind::Brush);
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const bool outline = pen && pen->style != PS_NULL;
  const int inset = outline ? pen->width : 0;
  if (brush && !brush->hollow) {
    const std::uint32_t pixel = PixelOf(brush->color);
    ForEachDrawable(*dc, *target, RECT{left + inset, top + inset, right - inset, bottom - inset},
                    [&](const RECT& r) { FillPixels(*target, r, pixel); });
  }
  if (outline) {
    const std::uint32_t pixel = PixelOf(pen->color);
    const int pw = pen->width;
    for (const RECT& edge : {RECT{left, top, right, top + pw}, RECT{left, bottom - pw, right, bottom},
                             RECT{left, top, left + pw, bottom}, RECT{right - pw, top, right, bottom}})
      ForEachDrawable(*dc, *target, edge, [&](const RECT& r) { FillPixels(*target, r, pixel); });
  }
  return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  const DWORD op = rop & ~(CAPTUREBLT | NOMIRRORBITMAP);
  if (op == BLACKNESS || op == WHITENESS) {
    auto dc = FindDC(dst);
    auto target = dc ? TargetOf(*dc) : nullptr;
    if (!target) return FALSE;
    const std::uint32_t pixel = op == BLACKNESS ? 0 : PixelOf(RGB(255, 255, 255));
    ForEachDrawable(*dc, *target, RECT{x, y, x + w, y + h}, [&](const RECT& r) { FillPixels(*target, r, pixel); });
    return TRUE;
  }
  return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  switch (rop & ~(CAPTUREBLT | NOMIRRORBITMAP)) {
    case SRCCOPY: return Transfer(dst, x, y, w, h, src, sx, sy, sw, sh, [](std::uint32_t& d, std::uint32_t s) { d = s; });
    case SRCAND: return Transfer(dst, x, y, w, h, src, sx, sy, sw, sh, [](std::uint32_t& d, std::uint32_t s) { d &= s; });
    case SRCPAINT: return Transfer(dst, x, y, w, h, src, sx, sy, sw, sh, [](std::uint32_t& d, std::uint32_t s) { d |= s; });
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

BOOL GdiAlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION blend) {
  if (blend.BlendOp != AC_SRC_OVER || w < 0 || h < 0 || sw < 0 || sh < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const unsigned k = blend.SourceConstantAlpha;
  const bool perPixel = blend.AlphaFormat & AC_SRC_ALPHA;
  return Transfer(dst, x, y, w, h, src, sx, sy, sw, sh, [=](std::uint32_t& d, std::uint32_t s) {
    // Every channel: source * k + destination * (1 - source alpha), where the
    // source alpha is the pixel's own (scaled by k) or, without per-pixel
    // alpha, k itself.
    const unsigned sa = perPixel ? Mul(s >> 24, k) : k;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const unsigned value = Mul((s >> shift) & 0xFF, k) + Mul((d >> shift) & 0xFF, 255 - sa);
      out |= std::min(255u, value) << shift;
    }
    d = out;
  });
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION blend) {
  return GdiAlphaBlend(dst, x, y, w, h, src, sx, sy, sw, sh, blend);
}

BOOL GdiTransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT key) {
  if (w < 0 || h < 0 || sw <= 0 || sh <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::uint32_t keyRgb = PixelOf(key) & 0x00FFFFFF;
  return Transfer(dst, x, y, w, h, src, sx, sy, sw, sh, [=](std::uint32_t& d, std::uint32_t s) {
    if ((s & 0x00FFFFFF) != keyRgb) d = s;
  });
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, UINT key) {
  return GdiTransparentBlt(dst, x, y, w, h, src, sx, sy, sw, sh, key);
}

COLORREF GetPixel(HDC handle, int x, int y) {
  auto dc = FindDC(handle);
  auto target = dc ? TargetOf(*dc) : nullptr;
  if (!target || x < 0 || y < 0 || x >= target->width || y >= target->height) return CLR_INVALID;
  cairo_surface_flush(target->surface);
  if (dc->clip && !cairo_region_contains_point(*dc->clip, x, y)) return CLR_INVALID;
  return ColorOf(target->Row(y)[x]);
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
  auto dc = FindDC(handle);
  auto target = dc ? TargetOf(*dc) : nullptr;
  if (!target) return CLR_INVALID;
  bool inside = false;
  ForEachDrawable(*dc, *target, RECT{x, y, x + 1, y + 1}, [&](const RECT&) {
    target->Row(y)[x] = PixelOf(color);
    inside = true;
  });
  return inside ? color & 0xFFFFFF : CLR_INVALID;
}

// ---- Rectangles -------------------------------------------------------------

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = RECT{left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }
BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(out);
    return FALSE;
  }
  *out = r;
  return TRUE;
}
BOOL OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  *r = RECT{r->left + dx, r->top + dy, r->right + dx, r->bottom + dy};
  return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  *r = RECT{r->left - dx, r->top - dy, r->right + dx, r->bottom + dy};
  return TRUE;
}

}  // namespace win
