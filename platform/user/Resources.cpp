// Cursors, and icons from the executable's resource table.
#include <cairo.h>

#include <cstring>
#include <map>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/HandleTable.h"
#include "platform/user/Cursors.h"
#include "platform/user/UserInternal.h"

namespace win::user {

namespace {

struct Icon {
  HBITMAP pixels = nullptr;  // premultiplied, with alpha
  int width = 0;
  int height = 0;
  CursorKind shape = CursorKind::Unknown;
  ~Icon() {
    if (pixels) DeleteObject(pixels);
  }
};

HandleTable<HICON, Icon>& Icons() {
  static auto* table = new HandleTable<HICON, Icon>();
  return *table;
}

struct Resources {
  std::map<WORD, std::vector<unsigned char>> byId;
  std::map<std::string, std::vector<unsigned char>> byName;  // upper case, as resource names compare
};

Resources& Table() {
  static auto* resources = new Resources();
  return *resources;
}

std::string Upper(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

struct PngReader {
  const std::vector<unsigned char>* bytes;
  std::size_t at = 0;
  static cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<PngReader*>(closure);
    if (r->at + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes->data() + r->at, length);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
  }
};

// Decodes the PNG and scales it to the size asked (0: its own size).
HICON IconFromPng(const std::vector<unsigned char>& png, int cx, int cy) {
  PngReader reader{&png};
  cairo_surface_t* image = cairo_image_surface_create_from_png_stream(PngReader::Read, &reader);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return nullptr;
  }
  const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
  if (cx <= 0) cx = w;
  if (cy <= 0) cy = h;
  auto icon = std::make_shared<Icon>();
  icon->width = cx;
  icon->height = cy;
  icon->pixels = CreateCompatibleBitmap(nullptr, cx, cy);
  const gdi::PixelView view = gdi::PixelsOf(icon->pixels);
  cairo_surface_t* target = cairo_image_surface_create_for_data(view.data, CAIRO_FORMAT_ARGB32, cx, cy, view.stride);
  cairo_t* cr = cairo_create(target);
  cairo_scale(cr, double(cx) / w, double(cy) / h);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(target);
  cairo_surface_destroy(image);
  gdi::MarkBitmapDirty(icon->pixels);
  return Icons().Add(std::move(icon));
}

HCURSOR StandardCursor(CursorKind shape) {
  static std::map<CursorKind, HCURSOR> cursors;
  auto& slot = cursors[shape];
  if (!slot) {
    auto icon = std::make_shared<Icon>();
    icon->shape = shape;
    slot = Icons().Add(std::move(icon));
  }
  return slot;
}

}  // namespace

void RegisterIconResource(WORD id, const unsigned char* png, std::size_t size) {
  Table().byId[id].assign(png, png + size);
}

void RegisterIconResource(const std::string& name, const unsigned char* png, std::size_t size) {
  Table().byName[Upper(name)].assign(png, png + size);
}

CursorKind CursorKindOf(HCURSOR cursor) {
  auto icon = Icons().Find(cursor);
  return icon ? icon->shape : CursorKind::Unknown;
}

}  // namespace win::user

namespace win {

using namespace user;

HINSTANCE GetModuleHandleA(LPCSTR name) {
  return name ? nullptr : reinterpret_cast<HINSTANCE>(0x400000);
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
  if (name == IDC_ARROW) return StandardCursor(CursorKind::Arrow);
  if (name == IDC_HAND) return StandardCursor(CursorKind::Hand);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  if (type == IMAGE_CURSOR) return reinterpret_cast<HANDLE>(LoadCursorA(instance, name));
  if (type != IMAGE_ICON || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((flags & LR_DEFAULTSIZE) && cx == 0) cx = GetSystemMetrics(SM_CXICON);
  if ((flags & LR_DEFAULTSIZE) && cy == 0) cy = GetSystemMetrics(SM_CYICON);
  const Resources& table = Table();
  const std::vector<unsigned char>* png = nullptr;
  if (IS_INTRESOURCE(name)) {
    auto it = table.byId.find(WORD(reinterpret_cast<ULONG_PTR>(name)));
    if (it != table.byId.end()) png = &it->second;
  } else {
    auto it = table.byName.find(Upper(name));
    if (it != table.byName.end()) png = &it->second;
  }
  if (!png) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(IconFromPng(*png, cx, cy));
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  return static_cast<HICON>(static_cast<void*>(LoadImageA(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

BOOL DestroyIcon(HICON icon) { return Icons().Remove(icon) ? TRUE : FALSE; }

BOOL DrawIconEx(HDC dc, int x, int y, HICON handle, int cx, int cy, UINT, HBRUSH, UINT) {
  auto icon = Icons().Find(handle);
  if (!icon || !icon->pixels) return FALSE;
  if (cx <= 0) cx = icon->width;
  if (cy <= 0) cy = icon->height;
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(source, icon->pixels);
  const BOOL ok = AlphaBlend(dc, x, y, cx, cy, source, 0, 0, icon->width, icon->height,
                             BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  SelectObject(source, previous);
  DeleteDC(source);
  return ok;
}

}  // namespace win
