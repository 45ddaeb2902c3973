#include <cstring>
#include <utility>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiObjects.h"

namespace win {

using namespace gdi;

namespace {


std::shared_ptr<DC> NewDC(DCKind kind) {
  auto dc = std::make_shared<DC>();
  dc->dcKind = kind;
  dc->brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  return dc;
}

void ClearClip(DC& dc) {
  if (dc.clip) cairo_region_destroy(*dc.clip);
  dc.clip.reset();
}

}  // namespace

HDC CreateCompatibleDC(HDC) {
  auto dc = NewDC(DCKind::Memory);
  auto initial = std::make_shared<Bitmap>(1, 1);
  dc->defaultBitmap = static_cast<HBITMAP>(Add(initial));
  dc->bitmap = dc->defaultBitmap;
  HDC handle = static_cast<HDC>(Add(dc));
  initial->selectedInto = handle;
  return handle;
}

BOOL DeleteDC(HDC handle) {
  auto dc = FindDC(handle);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (dc->dcKind == DCKind::Memory) {
    if (auto selected = FindBitmap(dc->bitmap)) selected->selectedInto = nullptr;
    if (auto initial = FindBitmap(dc->defaultBitmap)) initial->selectedInto = nullptr;
    gdi::Remove(dc->defaultBitmap);
  } else if (dc->dcKind == DCKind::Screen) {
    gdi::Remove(dc->bitmap);  // the composed picture belongs to the DC
  }
  ClearClip(*dc);
  gdi::Remove(handle);
  return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width <= 0 || height <= 0 || std::int64_t(width) * height > (1ll << 28)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bitmap = std::make_shared<Bitmap>(width, height);
  if (!bitmap->data) return nullptr;
  return static_cast<HBITMAP>(Add(bitmap));
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  if (info == nullptr || usage != DIB_RGB_COLORS || info->bmiHeader.biBitCount != 32 ||
      info->bmiHeader.biCompression != BI_RGB || info->bmiHeader.biHeight == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const LONG height = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  HBITMAP handle = CreateCompatibleBitmap(dc, info->bmiHeader.biWidth, height);
  if (handle && bits) *bits = FindBitmap(handle)->data;
  return handle;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  auto dc = FindDC(handle);
  auto target = Find(object);
  if (!dc || !target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  switch (target->kind) {
    case Kind::Bitmap: {
      auto bitmap = std::static_pointer_cast<Bitmap>(target);
      if (dc->dcKind != DCKind::Memory) return nullptr;
      if (bitmap->selectedInto && bitmap->selectedInto != handle) return nullptr;
      HBITMAP previous = dc->bitmap;
      if (auto old = FindBitmap(previous)) old->selectedInto = nullptr;
      bitmap->selectedInto = handle;
      dc->bitmap = static_cast<HBITMAP>(object);
      ClearClip(*dc);  // selecting a bitmap resets the clip to it
      return previous;
    }
    case Kind::Brush: return std::exchange(dc->brush, static_cast<HBRUSH>(object));
    case Kind::Pen: return std::exchange(dc->pen, static_cast<HPEN>(object));
    case Kind::Font: return std::exchange(dc->font, static_cast<HFONT>(object));
    case Kind::Region: return reinterpret_cast<HGDIOBJ>(std::intptr_t(SelectClipRgn(handle, static_cast<HRGN>(object))));
    case Kind::DC: return nullptr;
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) {
  auto dc = FindDC(handle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_BITMAP: return dc->bitmap;
    case OBJ_BRUSH: return dc->brush;
    case OBJ_PEN: return dc->pen;
    case OBJ_FONT: return dc->font;
    default: return nullptr;
  }
}

int SetBkMode(HDC handle, int mode) {
  auto dc = FindDC(handle);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->bkMode, mode);
}
int GetBkMode(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->bkMode : 0;
}
COLORREF SetTextColor(HDC handle, COLORREF color) {
  auto dc = FindDC(handle);
  return dc ? std::exchange(dc->textColor, color & 0xFFFFFF) : CLR_INVALID;
}
COLORREF GetTextColor(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->textColor : CLR_INVALID;
}
COLORREF SetBkColor(HDC handle, COLORREF color) {
  auto dc = FindDC(handle);
  return dc ? std::exchange(dc->bkColor, color & 0xFFFFFF) : CLR_INVALID;
}
COLORREF GetBkColor(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->bkColor : CLR_INVALID;
}

// ---- Clipping -------------------------------------------------------------

int ExtSelectClipRgn(HDC handle, HRGN regionHandle, int mode) {
  auto dc = FindDC(handle);
  if (!dc) return ERROR;
  auto region = FindRegion(regionHandle);
  if (!region) {
    if (mode != RGN_COPY) return ERROR;
    ClearClip(*dc);  // a null region with RGN_COPY removes the clip
    auto target = TargetOf(*dc);
    return target ? SIMPLEREGION : NULLREGION;
  }
  cairo_region_t* result = nullptr;
  if (mode == RGN_COPY || !dc->clip) {
    auto target = TargetOf(*dc);
    const cairo_rectangle_int_t whole{0, 0, target ? target->width : 0, target ? target->height : 0};
    cairo_region_t* current = dc->clip ? cairo_region_copy(*dc->clip) : cairo_region_create_rectangle(&whole);
    if (mode == RGN_COPY) {
      cairo_region_destroy(current);
      result = cairo_region_copy(region->region);
    } else {
      result = current;
    }
  } else {
    result = cairo_region_copy(*dc->clip);
  }
  switch (mode) {
    case RGN_COPY: break;
    case RGN_AND: cairo_region_intersect(result, region->region); break;
    case RGN_OR: cairo_region_union(result, region->region); break;
    case RGN_XOR: cairo_region_xor(result, region->region); break;
    case RGN_DIFF: cairo_region_subtract(result, region->region); break;
    default:
      cairo_region_destroy(result);
      return ERROR;
  }
  ClearClip(*dc);
  dc->clip = result;
  return RegionType(result);
}

int SelectClipRgn(HDC dc, HRGN region) { return ExtSelectClipRgn(dc, region, RGN_COPY); }

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  HRGN rect = CreateRectRgn(left, top, right, bottom);
  const int type = ExtSelectClipRgn(dc, rect, RGN_AND);
  DeleteObject(rect);
  return type;
}

int GetClipBox(HDC handle, RECT* rect) {
  auto dc = FindDC(handle);
  auto target = dc ? TargetOf(*dc) : nullptr;
  if (!dc || !target || !rect) return ERROR;
  cairo_region_t* drawable = DrawableRegion(*dc, *target);
  cairo_rectangle_int_t box;
  cairo_region_get_extents(drawable, &box);
  *rect = RECT{box.x, box.y, box.x + box.width, box.y + box.height};
  const int type = RegionType(drawable);
  cairo_region_destroy(drawable);
  return type;
}

int GetClipRgn(HDC handle, HRGN regionHandle) {
  auto dc = FindDC(handle);
  auto region = FindRegion(regionHandle);
  if (!dc || !region) return -1;
  if (!dc->clip) return 0;
  cairo_region_destroy(region->region);
  region->region = cairo_region_copy(*dc->clip);
  return 1;
}

HWND WindowFromDC(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->window : nullptr;
}

}  // namespace win

namespace win::gdi {

HDC CreateWindowDC(HWND window, HBITMAP surface, HRGN clip) {
  auto dc = NewDC(DCKind::Window);
  dc->bitmap = surface;
  dc->window = window;
  dc->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  if (auto region = FindRegion(clip)) dc->clip = cairo_region_copy(region->region);
  return static_cast<HDC>(Add(dc));
}

HDC CreateScreenDC() {
  HBITMAP picture = ComposeScreen();
  if (!picture) return nullptr;
  auto dc = NewDC(DCKind::Screen);
  dc->bitmap = picture;
  return static_cast<HDC>(Add(dc));
}

PixelView PixelsOf(HBITMAP handle) {
  auto bitmap = FindBitmap(handle);
  if (!bitmap) return {};
  cairo_surface_flush(bitmap->surface);
  return PixelView{bitmap->data, bitmap->width, bitmap->height, bitmap->stride};
}

HBITMAP BitmapOfDC(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->bitmap : nullptr;
}

PixelView PixelsOfDC(HDC dc) { return PixelsOf(BitmapOfDC(dc)); }

std::vector<RECT> ClipRectsOf(HDC handle, bool& clipped) {
  std::vector<RECT> rects;
  auto dc = FindDC(handle);
  clipped = dc && dc->clip;
  if (!clipped) return rects;
  const int n = cairo_region_num_rectangles(*dc->clip);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(*dc->clip, i, &r);
    rects.push_back(RECT{r.x, r.y, r.x + r.width, r.y + r.height});
  }
  return rects;
}

}  // namespace win::gdi
