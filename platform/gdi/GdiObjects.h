// The substrate's GDI objects behind their handles. Internal to platform/.
#pragma once

#include <cairo.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace win::gdi {

enum class Kind { Bitmap, Brush, Pen, Font, Region, DC };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
};

// Pixels are cairo ARGB32: premultiplied BGRA in memory, top-down.
struct Bitmap final : Object {
  Bitmap(int w, int h);
  ~Bitmap() override;
  std::uint32_t* Row(int y) const { return reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride); }
  int width;
  int height;
  int stride;
  unsigned char* data;
  cairo_surface_t* surface;
  HDC selectedInto = nullptr;
};

struct Brush final : Object {
  Brush() : Object(Kind::Brush) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct Pen final : Object {
  Pen() : Object(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct Font final : Object {
  Font() : Object(Kind::Font) {}
  LOGFONTA logFont{};
};

// A set of pixels as a union of rectangles.
struct Region final : Object {
  Region();
  ~Region() override;
  cairo_region_t* region;
};

enum class DCKind { Memory, Window, Screen };

struct DC final : Object {
  DC() : Object(Kind::DC) {}
  DCKind dcKind = DCKind::Memory;
  HBITMAP bitmap = nullptr;  // the surface drawn on
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  std::optional<cairo_region_t*> clip;  // in surface coordinates; none: the whole surface
  HWND window = nullptr;                // window DCs: the window they belong to
  HBITMAP defaultBitmap = nullptr;      // the 1x1 bitmap of a fresh memory DC
};

HGDIOBJ Add(std::shared_ptr<Object> object);
bool Remove(HGDIOBJ handle);
std::shared_ptr<Object> Find(HGDIOBJ handle);
template <typename T>
std::shared_ptr<T> FindAs(HGDIOBJ handle, Kind kind) {
  auto object = Find(handle);
  return object && object->kind == kind ? std::static_pointer_cast<T>(object) : nullptr;
}
inline std::shared_ptr<DC> FindDC(HDC dc) { return FindAs<DC>(dc, Kind::DC); }
inline std::shared_ptr<Bitmap> FindBitmap(HBITMAP b) { return FindAs<Bitmap>(b, Kind::Bitmap); }
inline std::shared_ptr<Region> FindRegion(HRGN r) { return FindAs<Region>(r, Kind::Region); }

// The bitmap a DC draws on (null for a DC without one), and the rectangles
// drawing may touch: the clip intersected with the bitmap.
std::shared_ptr<Bitmap> TargetOf(const DC& dc);
cairo_region_t* DrawableRegion(const DC& dc, const Bitmap& target);

// NULLREGION, SIMPLEREGION or COMPLEXREGION.
inline int RegionType(const cairo_region_t* region) {
  const int n = cairo_region_num_rectangles(region);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Colour value to a pixel written by GDI (alpha 0) or with alpha.
constexpr std::uint32_t PixelOf(COLORREF c, std::uint8_t alpha = 0) {
  return std::uint32_t(alpha) << 24 | std::uint32_t(GetRValue(c)) << 16 | std::uint32_t(GetGValue(c)) << 8 |
         GetBValue(c);
}
constexpr COLORREF ColorOf(std::uint32_t pixel) {
  return RGB(BYTE(pixel >> 16), BYTE(pixel >> 8), BYTE(pixel));
}

}  // namespace win::gdi
