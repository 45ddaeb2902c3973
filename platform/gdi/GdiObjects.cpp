#include "platform/gdi/GdiObjects.h"

#include <cstring>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/HandleTable.h"

namespace win::gdi {

namespace {

HandleTable<HGDIOBJ, Object>& Objects() {
  static auto* table = new HandleTable<HGDIOBJ, Object>();
  return *table;
}

ScreenComposer& Composer() {
  static auto* composer = new ScreenComposer();
  return *composer;
}

}  // namespace

Bitmap::Bitmap(int w, int h) : Object(Kind::Bitmap), width(w), height(h) {
  surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w > 0 ? w : 1, h > 0 ? h : 1);
  cairo_surface_flush(surface);
  data = cairo_image_surface_get_data(surface);
  stride = cairo_image_surface_get_stride(surface);
  if (data) std::memset(data, 0, std::size_t(stride) * std::size_t(h > 0 ? h : 1));
}

Bitmap::~Bitmap() { cairo_surface_destroy(surface); }

Region::Region() : Object(Kind::Region), region(cairo_region_create()) {}
Region::~Region() { cairo_region_destroy(region); }

HGDIOBJ Add(std::shared_ptr<Object> object) { return Objects().Add(std::move(object)); }
std::shared_ptr<Object> Find(HGDIOBJ handle) { return Objects().Find(handle); }
bool Remove(HGDIOBJ handle) { return Objects().Remove(handle); }

std::shared_ptr<Bitmap> TargetOf(const DC& dc) { return FindBitmap(dc.bitmap); }

cairo_region_t* DrawableRegion(const DC& dc, const Bitmap& target) {
  const cairo_rectangle_int_t whole{0, 0, target.width, target.height};
  cairo_region_t* region = cairo_region_create_rectangle(&whole);
  if (dc.clip) cairo_region_intersect(region, *dc.clip);
  return region;
}

void MarkBitmapDirty(HBITMAP handle) {
  if (auto bitmap = FindBitmap(handle)) cairo_surface_mark_dirty(bitmap->surface);
}

void MarkDirty(HDC handle) {
  if (auto dc = FindDC(handle)) MarkBitmapDirty(dc->bitmap);
}

std::vector<RECT> RectsOfRegion(HRGN handle) {
  std::vector<RECT> rects;
  auto region = FindRegion(handle);
  if (!region) return rects;
  const int n = cairo_region_num_rectangles(region->region);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region->region, i, &r);
    rects.push_back(RECT{r.x, r.y, r.x + r.width, r.y + r.height});
  }
  return rects;
}

WindowDCProvider& Provider() {
  static auto* provider = new WindowDCProvider();
  return *provider;
}
void SetWindowDCProvider(WindowDCProvider provider) { Provider() = std::move(provider); }
HDC WindowDCFor(HWND window) { return Provider().get ? Provider().get(window) : nullptr; }
void ReleaseWindowDCFor(HWND window, HDC dc) {
  if (Provider().release) Provider().release(window, dc);
}

void SetScreenComposer(ScreenComposer composer) { Composer() = std::move(composer); }
HBITMAP ComposeScreen() { return Composer() ? Composer()() : nullptr; }

}  // namespace win::gdi

namespace win {

using namespace gdi;

namespace {

template <typename T, typename... Setup>
HGDIOBJ MakeStock(Setup&&... setup) {
  auto object = std::make_shared<T>();
  object->stock = true;
  (setup(*object), ...);
  return Add(object);
}

struct StockObjects {
  HGDIOBJ objects[20] = {};
  StockObjects() {
    auto brush = [](COLORREF c, bool hollow = false) {
      return MakeStock<Brush>([=](Brush& b) {
        b.color = c;
        b.hollow = hollow;
      });
    };
    auto pen = [](COLORREF c, int style = PS_SOLID) {
      return MakeStock<Pen>([=](Pen& p) {
        p.color = c;
        p.style = style;
      });
    };
    objects[WHITE_BRUSH] = brush(RGB(255, 255, 255));
    objects[LTGRAY_BRUSH] = brush(RGB(192, 192, 192));
    objects[GRAY_BRUSH] = brush(RGB(128, 128, 128));
    objects[DKGRAY_BRUSH] = brush(RGB(64, 64, 64));
    objects[BLACK_BRUSH] = brush(RGB(0, 0, 0));
    objects[NULL_BRUSH] = brush(0, true);
    objects[WHITE_PEN] = pen(RGB(255, 255, 255));
    objects[BLACK_PEN] = pen(RGB(0, 0, 0));
    objects[NULL_PEN] = pen(0, PS_NULL);
    objects[DC_BRUSH] = brush(RGB(255, 255, 255));
    objects[DC_PEN] = pen(RGB(0, 0, 0));
    // The default GUI font: a CJK-capable sans of 12 pixels.
    auto font = [](LONG height) {
      return MakeStock<Font>([=](Font& f) {
        f.logFont.lfHeight = height;
        f.logFont.lfWeight = FW_NORMAL;
        f.logFont.lfCharSet = GB2312_CHARSET;
        std::strcpy(f.logFont.lfFaceName, "WenQuanYi Micro Hei");
      });
    };
    objects[DEFAULT_GUI_FONT] = font(-12);
    objects[SYSTEM_FONT] = font(-16);
  }
};

StockObjects& Stock() {
  static auto* stock = new StockObjects();
  return *stock;
}

}  // namespace

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= 20) return nullptr;
  return Stock().objects[index];
}

DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_ACTIVECAPTION: return RGB(153, 180, 209);
    case COLOR_CAPTIONTEXT: return RGB(0, 0, 0);
    case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    default: return 0;
  }
}

HBRUSH GetSysColorBrush(int index) {
  static HBRUSH brushes[32] = {};
  if (index < 0 || index >= 32) return nullptr;
  if (!brushes[index]) {
    auto brush = std::make_shared<Brush>();
    brush->stock = true;
    brush->color = GetSysColor(index);
    brushes[index] = static_cast<HBRUSH>(Add(brush));
  }
  return brushes[index];
}

HPEN CreatePen(int style, int width, COLORREF color) {
  auto pen = std::make_shared<Pen>();
  pen->style = style;
  pen->width = width < 1 ? 1 : width;
  pen->color = color;
  return static_cast<HPEN>(Add(pen));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto brush = std::make_shared<Brush>();
  brush->color = color & 0x00FFFFFF;
  return static_cast<HBRUSH>(Add(brush));
}

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
  if (logFont == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto font = std::make_shared<Font>();
  font->logFont = *logFont;
  font->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
  return static_cast<HFONT>(Add(font));
}

BOOL DeleteObject(HGDIOBJ handle) {
  auto object = Find(handle);
  if (!object || object->kind == Kind::DC) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;
  // A bitmap selected into a DC is in use and stays, as on the platform.
  if (object->kind == Kind::Bitmap && std::static_pointer_cast<Bitmap>(object)->selectedInto) return FALSE;
  return gdi::Remove(handle) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ handle) {
  auto object = Find(handle);
  if (!object) return 0;
  switch (object->kind) {
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Pen: return OBJ_PEN;
    case Kind::Font: return OBJ_FONT;
    case Kind::Region: return OBJ_REGION;
    case Kind::DC: return std::static_pointer_cast<DC>(object)->dcKind == DCKind::Memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
  auto object = Find(handle);
  if (!object) return 0;
  auto give = [&](const auto& record) {
    if (buffer == nullptr) return int(sizeof record);
    if (size < int(sizeof record)) return 0;
    std::memcpy(buffer, &record, sizeof record);
    return int(sizeof record);
  };
  switch (object->kind) {
    case Kind::Bitmap: {
      const auto& b = static_cast<const Bitmap&>(*object);
      BITMAP record{0, b.width, b.height, b.stride, 1, 32, b.data};
      return give(record);
    }
    case Kind::Font: return give(static_cast<const Font&>(*object).logFont);
    case Kind::Brush: {
      const auto& b = static_cast<const Brush&>(*object);
      LOGBRUSH record{b.hollow ? 1u : 0u, b.color, 0};
      return give(record);
    }
    default: return 0;
  }
}

}  // namespace win
