// The picture box: a still or animated picture (GIF frames and their delays
// through GDI+), fitted to cover the box. Each frame is drawn to the box's
// size the first time it is shown and kept so; once every frame is kept,
// the full-size picture is released: a large animation costs only its small
// frames.
#include <algorithm>
#include <cstring>

#include "platform/comctl/ControlState.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdiplus/GdiPlus.h"
#include "platform/kernel/GlobalMemory.h"

namespace win::comctl {

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kDefaultDelayMs = 100;

struct Frame {
  HBITMAP pixels = nullptr;  // null until first shown
  UINT delayMs = kDefaultDelayMs;
};

struct PictureState {
  std::vector<unsigned char> bytes;
  GpImage* image = nullptr;  // the full-size picture, while frames are still to draw
  const GUID* dimension = nullptr;
  std::vector<Frame> frames;
  bool decoded = false;
  std::size_t shown = 0;
  SIZE decodedFor{};
  ~PictureState() { Drop(); }
  void Drop() {
    for (Frame& f : frames) DeleteObject(f.pixels);
    frames.clear();
    ReleaseImage();
    decoded = false;
  }
  void ReleaseImage() {
    if (image) GdipDisposeImage(image);
    image = nullptr;
  }
};

GpImage* Load(const std::vector<unsigned char>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  IStream* stream = nullptr;
  GpBitmap* image = nullptr;
  if (CreateStreamOnHGlobal(block, TRUE, &stream) == S_OK) {
    GdipCreateBitmapFromStream(stream, &image);
    stream->Release();
  } else {
    GlobalFree(block);
  }
  return reinterpret_cast<GpImage*>(image);
}

// The delays in hundredths of a second: one item may list every frame's
// (as Windows gives it), or each frame carries its own (as libgdiplus does).
std::vector<std::int32_t> DelayItem(GpImage* image) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(image, PropertyTagFrameDelay, &size) != Ok || size < sizeof(PropertyItem)) return {};
  std::vector<unsigned char> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  if (GdipGetPropertyItem(image, PropertyTagFrameDelay, size, item) != Ok) return {};
  const auto* values = static_cast<const std::int32_t*>(item->value);
  return std::vector<std::int32_t>(values, values + item->length / 4);
}

UINT DelayMs(std::int32_t hundredths) { return hundredths > 0 ? UINT(hundredths) * 10 : kDefaultDelayMs; }

// Animated frames are times on Windows and pages in libgdiplus when the
// file has no loop block.
const GUID* FrameDimensionOf(GpImage* image, UINT& count) {
  count = 0;
  if (GdipImageGetFrameCount(image, &FrameDimensionTime, &count) == Ok && count > 0) return &FrameDimensionTime;
  if (GdipImageGetFrameCount(image, &FrameDimensionPage, &count) == Ok && count > 0) return &FrameDimensionPage;
  count = 1;
  return nullptr;
}

// Loads the picture and learns its frames and their delays.
void Decode(HWND window, PictureState& s) {
  s.Drop();
  s.decoded = true;
  RECT box;
  GetClientRect(window, &box);
  s.decodedFor = SIZE{box.right, box.bottom};
  s.image = s.bytes.empty() ? nullptr : Load(s.bytes);
  if (!s.image || box.right <= 0 || box.bottom <= 0) {
    s.ReleaseImage();
    return;
  }
  UINT count = 1;
  s.dimension = FrameDimensionOf(s.image, count);
  s.frames.resize(count);
  for (UINT i = 0; i < count; ++i) {
    if (s.dimension) GdipImageSelectActiveFrame(s.image, s.dimension, i);
    const std::vector<std::int32_t> delays = DelayItem(s.image);
    s.frames[i].delayMs = DelayMs(delays.size() == count ? delays[i] : delays.empty() ? 0 : delays[0]);
  }
}

// An indexed frame (a GIF's) scaled straight from its palette indices: each
// box pixel averages the picture pixels under it. This spares the
// full-size colour copy of the frame that drawing it through a graphics
// would make.
bool DrawIndexedFrame(GpImage* image, UINT w, UINT h, HBITMAP target, int boxWidth, int boxHeight, double dw, double dh) {
  PixelFormat format = 0;
  if (GdipGetImagePixelFormat(image, &format) != Ok || format != PixelFormat8bppIndexed) return false;
  INT paletteSize = 0;
  if (GdipGetImagePaletteSize(image, &paletteSize) != Ok || paletteSize < INT(sizeof(ColorPalette))) return false;
  std::vector<unsigned char> paletteBytes(static_cast<std::size_t>(paletteSize));
  auto* palette = reinterpret_cast<ColorPalette*>(paletteBytes.data());
  if (GdipGetImagePalette(image, palette, paletteSize) != Ok) return false;
  const GpRect all{0, 0, INT(w), INT(h)};
  BitmapData data{};
  if (GdipBitmapLockBits(reinterpret_cast<GpBitmap*>(image), &all, ImageLockModeRead, PixelFormat8bppIndexed, &data) != Ok)
    return false;
  const auto* indices = static_cast<const std::uint8_t*>(data.Scan0);
  ARGB premultiplied[256] = {};
  for (UINT i = 0; i < std::min<UINT>(palette->Count, 256); ++i) {
    const ARGB c = palette->Entries[i];
    const unsigned ca = c >> 24;
    premultiplied[i] = ARGB(ca) << 24 | (((c >> 16) & 0xFF) * ca / 255) << 16 | (((c >> 8) & 0xFF) * ca / 255) << 8 |
                       ((c & 0xFF) * ca / 255);
  }
  const gdi::PixelView out = gdi::PixelsOf(target);
  const double ox = (boxWidth - dw) / 2, oy = (boxHeight - dh) / 2, sx = w / dw, sy = h / dh;
  for (int y = 0; y < boxHeight; ++y) {
    const int y0 = std::clamp(int((y - oy) * sy), 0, int(h) - 1), y1 = std::clamp(int((y + 1 - oy) * sy), y0 + 1, int(h));
    auto* row = reinterpret_cast<std::uint32_t*>(out.data + std::size_t(y) * out.stride);
    for (int x = 0; x < boxWidth; ++x) {
      const int x0 = std::clamp(int((x - ox) * sx), 0, int(w) - 1), x1 = std::clamp(int((x + 1 - ox) * sx), x0 + 1, int(w));
      unsigned a = 0, r = 0, g = 0, b = 0, n = 0;
      for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) {
          const std::uint8_t i = indices[std::size_t(py) * std::size_t(data.Stride) + std::size_t(px)];
          const ARGB c = premultiplied[i];
          a += c >> 24;
          r += (c >> 16) & 0xFF;
          g += (c >> 8) & 0xFF;
          b += c & 0xFF;
          ++n;
        }
      row[x] = (a / n) << 24 | (r / n) << 16 | (g / n) << 8 | (b / n);
    }
  }
  GdipBitmapUnlockBits(reinterpret_cast<GpBitmap*>(image), &data);
  gdi::MarkBitmapDirty(target);
  return true;
}

// The frame drawn to cover the box: scaled to fill it, centred, cropped.
void DrawFrame(HWND window, PictureState& s, std::size_t index) {
  Frame& frame = s.frames[index];
  if (frame.pixels || !s.image) return;
  RECT box;
  GetClientRect(window, &box);
  if (s.dimension) GdipImageSelectActiveFrame(s.image, s.dimension, UINT(index));
  UINT w = 0, h = 0;
  GdipGetImageWidth(s.image, &w);
  GdipGetImageHeight(s.image, &h);
  const double scale = std::max(double(box.right) / std::max(1u, w), double(box.bottom) / std::max(1u, h));
  const REAL dw = REAL(w * scale), dh = REAL(h * scale);
  frame.pixels = CreateCompatibleBitmap(nullptr, box.right, box.bottom);
  if (DrawIndexedFrame(s.image, w, h, frame.pixels, box.right, box.bottom, dw, dh)) {
    if (std::all_of(s.frames.begin(), s.frames.end(), [](const Frame& f) { return f.pixels != nullptr; })) s.ReleaseImage();
    return;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, frame.pixels);
  GpGraphics* g = nullptr;
  if (GdipCreateFromHDC(dc, &g) == Ok) {
    GdipDrawImageRectRect(g, s.image, (box.right - dw) / 2, (box.bottom - dh) / 2, dw, dh, 0, 0, REAL(w), REAL(h),
                          UnitPixel, nullptr, nullptr, nullptr);
    GdipDeleteGraphics(g);
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  if (std::all_of(s.frames.begin(), s.frames.end(), [](const Frame& f) { return f.pixels != nullptr; })) s.ReleaseImage();
}

void ScheduleNext(HWND window, const PictureState& s) {
  KillTimer(window, kFrameTimer);
  if (s.frames.size() > 1) SetTimer(window, kFrameTimer, s.frames[s.shown].delayMs, nullptr);
}

void Paint(HWND window) {
  PictureState* s = StateOf<PictureState>(window);
  RECT box;
  GetClientRect(window, &box);
  if (s->decoded && (s->decodedFor.cx != box.right || s->decodedFor.cy != box.bottom)) {
    Decode(window, *s);  // a new size: the kept frames no longer fit
    s->shown = 0;
    ScheduleNext(window, *s);
  }
  if (!s->frames.empty()) DrawFrame(window, *s, s->shown);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (s->frames.empty() || !s->frames[s->shown].pixels) {
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, s->frames[s->shown].pixels);
    BitBlt(dc, 0, 0, box.right, box.bottom, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
  }
  EndPaint(window, &ps);
}

LRESULT PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ManageState<PictureState>(window, message);
  PictureState* s = StateOf<PictureState>(window);
  switch (message) {
    case PBM_SETIMAGE: {
      // Loaded once here; the frames are drawn as they are first shown.
      const auto* bytes = reinterpret_cast<const unsigned char*>(lParam);
      s->Drop();
      s->bytes.assign(bytes, bytes ? bytes + wParam : bytes);
      Decode(window, *s);
      s->shown = 0;
      ScheduleNext(window, *s);
      InvalidateRect(window, nullptr, FALSE);
      return s->image != nullptr;
    }
    case PBM_GETFRAME: return LRESULT(s->shown);
    case PBM_GETFRAMECOUNT: return LRESULT(s->frames.size());
    case WM_TIMER:
      if (wParam == kFrameTimer && !s->frames.empty()) {
        s->shown = (s->shown + 1) % s->frames.size();  // the animation repeats
        ScheduleNext(window, *s);
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterPictureBox() { RegisterControlClass(kPictureBoxClass, PictureProc, LoadCursorA(nullptr, IDC_ARROW)); }

}  // namespace win::comctl
