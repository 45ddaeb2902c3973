#include "platform/gdiplus/GdiPlus.h"

#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdiplus/LibGdiplus.h"

namespace win {

const GUID FrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
const GUID FrameDimensionPage = {0x7462dc86, 0x6180, 0x4c7e, {0x8e, 0x3f, 0xee, 0x73, 0x33, 0xa7, 0xa4, 0x83}};
const CLSID PngEncoderClsid = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

namespace {

// ---- Graphics over a DC -----------------------------------------------------

// A graphics made over a DC draws through a GDI+ bitmap that shares the
// DC's pixels; both are released with the graphics.
struct DcGraphics {
  GpBitmap* view = nullptr;
  HDC dc = nullptr;
  HWND releaseTo = nullptr;  // set when the DC came from a window
};

std::mutex graphicsMutex;
std::unordered_map<GpGraphics*, DcGraphics>& DcGraphicsTable() {
  static std::unordered_map<GpGraphics*, DcGraphics> table;
  return table;
}

GpStatus SetClipToRects(GpGraphics* graphics, const std::vector<RECT>& rects) {
  GpRegion* region = nullptr;
  GpStatus status = lib::GdipCreateRegion(&region);
  if (status != Ok) return status;
  lib::GdipSetEmpty(region);
  for (const RECT& r : rects) {
    const GpRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    lib::GdipCombineRegionRectI(region, &rect, CombineModeUnion);
  }
  status = lib::GdipSetClipRegion(graphics, region, CombineModeReplace);
  lib::GdipDeleteRegion(region);
  return status;
}

GpStatus GraphicsOverDC(HDC dc, HWND releaseTo, GpGraphics** graphics) {
  if (graphics == nullptr) return InvalidParameter;
  *graphics = nullptr;
  const gdi::PixelView pixels = gdi::PixelsOfDC(dc);
  if (pixels.data == nullptr) return InvalidParameter;
  GpBitmap* view = nullptr;
  GpStatus status = lib::GdipCreateBitmapFromScan0(pixels.width, pixels.height, pixels.stride, PixelFormat32bppPARGB,
                                                   pixels.data, &view);
  if (status != Ok) return status;
  status = lib::GdipGetImageGraphicsContext(reinterpret_cast<GpImage*>(view), graphics);
  if (status != Ok) {
    lib::GdipDisposeImage(reinterpret_cast<GpImage*>(view));
    return status;
  }
  bool clipped = false;
  const std::vector<RECT> clip = gdi::ClipRectsOf(dc, clipped);
  if (clipped) SetClipToRects(*graphics, clip);
  std::lock_guard lock(graphicsMutex);
  DcGraphicsTable()[*graphics] = DcGraphics{view, dc, releaseTo};
  return Ok;
}

// ---- Locked bits --------------------------------------------------------------

// libgdiplus's BitmapData carries its own fields after the platform's six
// and writes them at LockBits: it gets a record large enough, kept until
// the matching UnlockBits, and the caller sees the six.
struct LockedBits {
  alignas(8) unsigned char bytes[256] = {};
  BitmapData* Public() { return reinterpret_cast<BitmapData*>(bytes); }
};
std::mutex lockedMutex;
std::unordered_map<BitmapData*, LockedBits>& Locked() {
  static std::unordered_map<BitmapData*, LockedBits> table;
  return table;
}

// ---- Streams bound for the duration of a libgdiplus call ------------------

thread_local IStream* boundStream = nullptr;

struct BindStream {
  explicit BindStream(IStream* s) : previous(boundStream) { boundStream = s; }
  ~BindStream() { boundStream = previous; }
  IStream* previous;
};

std::int64_t Position() {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER at{};
  boundStream->Seek(zero, STREAM_SEEK_CUR, &at);
  return std::int64_t(at.QuadPart);
}

void SeekTo(std::int64_t position) {
  LARGE_INTEGER to{};
  to.QuadPart = position;
  boundStream->Seek(to, STREAM_SEEK_SET, nullptr);
}

int ReadBytes(BYTE* buffer, int length, BOOL peek) {
  if (!boundStream || length <= 0) return 0;
  const std::int64_t start = Position();
  ULONG read = 0;
  boundStream->Read(buffer, ULONG(length), &read);
  if (peek) SeekTo(start);
  return int(read);
}

int GetHeader(BYTE* buffer, int length) { return ReadBytes(buffer, length, TRUE); }
int GetBytes(BYTE* buffer, int length, BOOL peek) { return ReadBytes(buffer, length, peek); }

int PutBytes(BYTE* buffer, int length) {
  if (!boundStream || length <= 0) return 0;
  ULONG written = 0;
  boundStream->Write(buffer, ULONG(length), &written);
  return int(written);
}

long Seek(int offset, int whence) {
  if (!boundStream) return -1;
  LARGE_INTEGER move{};
  move.QuadPart = offset;
  ULARGE_INTEGER at{};
  // The whence values are the C library's, which are the stream's too.
  if (FAILED(boundStream->Seek(move, DWORD(whence), &at))) return -1;
  return long(at.QuadPart);
}

void Close() {}

long Size() {
  if (!boundStream) return 0;
  STATSTG stat{};
  boundStream->Stat(&stat, STATFLAG_NONAME);
  return long(stat.cbSize.QuadPart);
}

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  return lib::GdiplusStartup(token, input, output);
}
void GdiplusShutdown(ULONG_PTR token) { lib::GdiplusShutdown(token); }

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics) { return GraphicsOverDC(dc, nullptr, graphics); }
GpStatus GdipCreateFromHDC2(HDC dc, HANDLE, GpGraphics** graphics) { return GraphicsOverDC(dc, nullptr, graphics); }

GpStatus GdipCreateFromHWND(HWND window, GpGraphics** graphics) {
  HDC dc = gdi::WindowDCFor(window);
  if (dc == nullptr) {
    if (graphics) *graphics = nullptr;
    return InvalidParameter;
  }
  const GpStatus status = GraphicsOverDC(dc, window, graphics);
  if (status != Ok) gdi::ReleaseWindowDCFor(window, dc);
  return status;
}
GpStatus GdipCreateFromHWNDICM(HWND window, GpGraphics** graphics) { return GdipCreateFromHWND(window, graphics); }

GpStatus GdipGetDC(GpGraphics* graphics, HDC* dc) {
  {
    std::lock_guard lock(graphicsMutex);
    auto it = DcGraphicsTable().find(graphics);
    if (it != DcGraphicsTable().end()) {
      if (dc) *dc = it->second.dc;
      return dc ? Ok : InvalidParameter;
    }
  }
  return lib::GdipGetDC(graphics, dc);
}

GpStatus GdipReleaseDC(GpGraphics* graphics, HDC dc) {
  {
    std::lock_guard lock(graphicsMutex);
    if (DcGraphicsTable().count(graphics)) return Ok;
  }
  return lib::GdipReleaseDC(graphics, dc);
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  DcGraphics over;
  {
    std::lock_guard lock(graphicsMutex);
    auto it = DcGraphicsTable().find(graphics);
    if (it != DcGraphicsTable().end()) {
      over = it->second;
      DcGraphicsTable().erase(it);
    }
  }
  const GpStatus status = lib::GdipDeleteGraphics(graphics);
  if (over.view) {
    lib::GdipDisposeImage(reinterpret_cast<GpImage*>(over.view));
    // GDI+ drew behind cairo's back; tell the surface.
    gdi::MarkDirty(over.dc);
    if (over.releaseTo) gdi::ReleaseWindowDCFor(over.releaseTo, over.dc);
  }
  return status;
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  return lib::GdipGetImageGraphicsContext(image, graphics);
}
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color) { return lib::GdipGraphicsClear(graphics, color); }
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
  return lib::GdipSetInterpolationMode(graphics, mode);
}
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL w, REAL h, CombineMode mode) {
  return lib::GdipSetClipRect(graphics, x, y, w, h, mode);
}
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, CombineMode mode) {
  return lib::GdipSetClipRegion(graphics, region, mode);
}
GpStatus GdipResetClip(GpGraphics* graphics) { return lib::GdipResetClip(graphics); }

GpStatus GdipSetClipHrgn(GpGraphics* graphics, HRGN hrgn, CombineMode mode) {
  GpRegion* region = nullptr;
  GpStatus status = GdipCreateRegionHrgn(hrgn, &region);
  if (status != Ok) return status;
  status = lib::GdipSetClipRegion(graphics, region, mode);
  lib::GdipDeleteRegion(region);
  return status;
}

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image) {
  if (stream == nullptr || image == nullptr) return InvalidParameter;
  BindStream bound(stream);
  return lib::GdipLoadImageFromDelegate_linux(GetHeader, GetBytes, PutBytes, Seek, Close, Size, image);
}

GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
  return GdipLoadImageFromStream(stream, reinterpret_cast<GpImage**>(bitmap));
}
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap) {
  return GdipCreateBitmapFromStream(stream, bitmap);
}

GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder, const EncoderParameters* parameters) {
  if (stream == nullptr || image == nullptr || encoder == nullptr) return InvalidParameter;
  BindStream bound(stream);
  return lib::GdipSaveImageToDelegate_linux(image, GetBytes, PutBytes, Seek, Close, Size, encoder, parameters);
}

GpStatus GdipCreateBitmapFromScan0(INT w, INT h, INT stride, PixelFormat format, BYTE* scan0, GpBitmap** bitmap) {
  return lib::GdipCreateBitmapFromScan0(w, h, stride, format, scan0, bitmap);
}

namespace {
// A GDI+ bitmap of its own memory holding a copy of 32-bit premultiplied rows.
GpStatus BitmapFromRows(const unsigned char* rows, int w, int h, int stride, GpBitmap** out) {
  if (out == nullptr) return InvalidParameter;
  GpStatus status = lib::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppPARGB, nullptr, out);
  if (status != Ok) return status;
  const GpRect all{0, 0, w, h};
  BitmapData data{};
  status = win::GdipBitmapLockBits(*out, &all, ImageLockModeWrite, PixelFormat32bppPARGB, &data);
  if (status != Ok) return status;
  for (int y = 0; y < h; ++y)
    std::memcpy(static_cast<BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride, rows + std::ptrdiff_t(y) * stride,
                std::size_t(w) * 4);
  return win::GdipBitmapUnlockBits(*out, &data);
}
}  // namespace

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP bitmap, void*, GpBitmap** out) {
  const gdi::PixelView pixels = gdi::PixelsOf(bitmap);
  if (pixels.data == nullptr) return InvalidParameter;
  return BitmapFromRows(pixels.data, pixels.width, pixels.height, pixels.stride, out);
}

GpStatus GdipCreateBitmapFromGdiDib(const BITMAPINFO* info, void* bits, GpBitmap** out) {
  if (info == nullptr || bits == nullptr || info->bmiHeader.biBitCount != 32) return InvalidParameter;
  const int w = info->bmiHeader.biWidth;
  const int h = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  return BitmapFromRows(static_cast<const unsigned char*>(bits), w, h, w * 4, out);
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* out, ARGB) {
  if (bitmap == nullptr || out == nullptr) return InvalidParameter;
  UINT w = 0, h = 0;
  lib::GdipGetImageWidth(reinterpret_cast<GpImage*>(bitmap), &w);
  lib::GdipGetImageHeight(reinterpret_cast<GpImage*>(bitmap), &h);
  *out = CreateCompatibleBitmap(nullptr, int(w), int(h));
  if (*out == nullptr) return OutOfMemory;
  const gdi::PixelView pixels = gdi::PixelsOf(*out);
  const GpRect all{0, 0, INT(w), INT(h)};
  BitmapData data{};
  const GpStatus status = win::GdipBitmapLockBits(bitmap, &all, ImageLockModeRead, PixelFormat32bppPARGB, &data);
  if (status != Ok) {
    DeleteObject(*out);
    *out = nullptr;
    return status;
  }
  for (UINT y = 0; y < h; ++y)
    std::memcpy(pixels.data + std::ptrdiff_t(y) * pixels.stride,
                static_cast<const BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride, std::size_t(w) * 4);
  win::GdipBitmapUnlockBits(bitmap, &data);
  gdi::MarkBitmapDirty(*out);
  return Ok;
}

GpStatus GdipDisposeImage(GpImage* image) { return lib::GdipDisposeImage(image); }
GpStatus GdipCloneImage(GpImage* image, GpImage** clone) { return lib::GdipCloneImage(image, clone); }
GpStatus GdipGetImageWidth(GpImage* image, UINT* width) { return lib::GdipGetImageWidth(image, width); }
GpStatus GdipGetImageHeight(GpImage* image, UINT* height) { return lib::GdipGetImageHeight(image, height); }
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) { return lib::GdipGetImagePixelFormat(image, format); }
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) { return lib::GdipBitmapGetPixel(bitmap, x, y, color); }
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color) { return lib::GdipBitmapSetPixel(bitmap, x, y, color); }
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  if (data == nullptr) return InvalidParameter;
  LockedBits locked;
  std::memcpy(locked.bytes, data, sizeof *data);
  const GpStatus status = lib::GdipBitmapLockBits(bitmap, rect, flags, format, locked.Public());
  if (status != Ok) return status;
  *data = *locked.Public();
  std::lock_guard lock(lockedMutex);
  Locked()[data] = locked;
  return Ok;
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data) {
  LockedBits locked;
  {
    std::lock_guard lock(lockedMutex);
    auto it = Locked().find(data);
    if (data == nullptr || it == Locked().end()) return lib::GdipBitmapUnlockBits(bitmap, data);
    locked = it->second;
    Locked().erase(it);
  }
  return lib::GdipBitmapUnlockBits(bitmap, locked.Public());
}
GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count) {
  return lib::GdipImageGetFrameCount(image, dimension, count);
}
GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index) {
  return lib::GdipImageSelectActiveFrame(image, dimension, index);
}
GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size) { return lib::GdipGetPropertyItemSize(image, id, size); }
GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* item) {
  return lib::GdipGetPropertyItem(image, id, size, item);
}

GpStatus GdipGetImagePaletteSize(GpImage* image, INT* size) { return lib::GdipGetImagePaletteSize(image, size); }
GpStatus GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size) {
  return lib::GdipGetImagePalette(image, palette, size);
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dx, REAL dy, REAL dw, REAL dh, REAL sx,
                               REAL sy, REAL sw, REAL sh, GpUnit unit, const GpImageAttributes* attributes,
                               void* abortCallback, void* abortData) {
  return lib::GdipDrawImageRectRect(graphics, image, dx, dy, dw, dh, sx, sy, sw, sh, unit, attributes, abortCallback,
                                    abortData);
}
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) { return lib::GdipCreateSolidFill(color, brush); }
GpStatus GdipCreateTexture(GpImage* image, GpWrapMode mode, GpTexture** texture) {
  return lib::GdipCreateTexture(image, mode, texture);
}
GpStatus GdipDeleteBrush(GpBrush* brush) { return lib::GdipDeleteBrush(brush); }
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL w, REAL h) {
  return lib::GdipFillRectangle(graphics, brush, x, y, w, h);
}

GpStatus GdipCreateRegion(GpRegion** region) { return lib::GdipCreateRegion(region); }

GpStatus GdipCreateRegionHrgn(HRGN hrgn, GpRegion** region) {
  if (region == nullptr) return InvalidParameter;
  const std::vector<RECT> rects = gdi::RectsOfRegion(hrgn);
  if (GetObjectType(hrgn) != DWORD(OBJ_REGION)) return InvalidParameter;
  GpStatus status = lib::GdipCreateRegion(region);
  if (status != Ok) return status;
  lib::GdipSetEmpty(*region);
  for (const RECT& r : rects) {
    const GpRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    lib::GdipCombineRegionRectI(*region, &rect, CombineModeUnion);
  }
  return Ok;
}

GpStatus GdipGetRegionHRgn(GpRegion* region, GpGraphics*, HRGN* hrgn) {
  if (region == nullptr || hrgn == nullptr) return InvalidParameter;
  GpMatrix* identity = nullptr;
  lib::GdipCreateMatrix(&identity);
  UINT count = 0;
  GpStatus status = lib::GdipGetRegionScansCount(region, &count, identity);
  std::vector<GpRect> scans(count);
  INT filled = 0;
  if (status == Ok && count > 0) status = lib::GdipGetRegionScansI(region, scans.data(), &filled, identity);
  lib::GdipDeleteMatrix(identity);
  if (status != Ok) return status;
  *hrgn = CreateRectRgn(0, 0, 0, 0);
  for (INT i = 0; i < filled; ++i) {
    HRGN piece = CreateRectRgn(scans[i].X, scans[i].Y, scans[i].X + scans[i].Width, scans[i].Y + scans[i].Height);
    CombineRgn(*hrgn, *hrgn, piece, RGN_OR);
    DeleteObject(piece);
  }
  return Ok;
}

GpStatus GdipDeleteRegion(GpRegion* region) { return lib::GdipDeleteRegion(region); }

}  // namespace win
