// The picture box: a still or animated picture (GIF frames and their delays
// through GDI+), fitted to cover the box. Frames are decoded when the box is
// first painted, straight to the box's size, and the full-size picture is
// released at once: a large animation costs only its small frames.
#include <algorithm>
#include <cstring>

#include "platform/comctl/ControlState.h"
#include "platform/gdiplus/GdiPlus.h"
#include "platform/kernel/GlobalMemory.h"

namespace win::comctl {

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kDefaultDelayMs = 100;

struct Frame {
  HBITMAP pixels = nullptr;
  UINT delayMs = kDefaultDelayMs;
};

struct PictureState {
  std::vector<unsigned char> bytes;
  std::vector<Frame> frames;
  bool decoded = false;
  std::size_t shown = 0;
  SIZE decodedFor{};
  ~PictureState() { Drop(); }
  void Drop() {
    for (Frame& f : frames) DeleteObject(f.pixels);
    frames.clear();
    decoded = false;
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

// Each frame drawn to cover the box: scaled to fill it, centred, cropped.
void Decode(HWND window, PictureState& s) {
  s.Drop();
  s.decoded = true;
  RECT box;
  GetClientRect(window, &box);
  s.decodedFor = SIZE{box.right, box.bottom};
  GpImage* image = s.bytes.empty() ? nullptr : Load(s.bytes);
  if (!image || box.right <= 0 || box.bottom <= 0) {
    if (image) GdipDisposeImage(image);
    return;
  }
  UINT count = 1;
  const GUID* dimension = FrameDimensionOf(image, count);
  UINT w = 0, h = 0;
  GdipGetImageWidth(image, &w);
  GdipGetImageHeight(image, &h);
  const double scale = std::max(double(box.right) / std::max(1u, w), double(box.bottom) / std::max(1u, h));
  const REAL dw = REAL(w * scale), dh = REAL(h * scale);
  for (UINT i = 0; i < count; ++i) {
    if (dimension) GdipImageSelectActiveFrame(image, dimension, i);
    const std::vector<std::int32_t> delays = DelayItem(image);
    const std::int32_t delay = delays.size() == count ? delays[i] : delays.empty() ? 0 : delays[0];
    Frame frame{CreateCompatibleBitmap(nullptr, box.right, box.bottom), DelayMs(delay)};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, frame.pixels);
    GpGraphics* g = nullptr;
    if (GdipCreateFromHDC(dc, &g) == Ok) {
      GdipSetInterpolationMode(g, InterpolationModeHighQualityBicubic);
      GdipDrawImageRectRect(g, image, (box.right - dw) / 2, (box.bottom - dh) / 2, dw, dh, 0, 0, REAL(w), REAL(h),
                            UnitPixel, nullptr, nullptr, nullptr);
      GdipDeleteGraphics(g);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    s.frames.push_back(frame);
  }
  GdipDisposeImage(image);
}

void ScheduleNext(HWND window, const PictureState& s) {
  KillTimer(window, kFrameTimer);
  if (s.frames.size() > 1) SetTimer(window, kFrameTimer, s.frames[s.shown].delayMs, nullptr);
}

void Paint(HWND window) {
  PictureState* s = StateOf<PictureState>(window);
  RECT box;
  GetClientRect(window, &box);
  if (!s->decoded || s->decodedFor.cx != box.right || s->decodedFor.cy != box.bottom) {
    Decode(window, *s);
    s->shown = 0;
    ScheduleNext(window, *s);
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (s->frames.empty()) {
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
      const auto* bytes = reinterpret_cast<const unsigned char*>(lParam);
      s->Drop();
      s->bytes.assign(bytes, bytes ? bytes + wParam : bytes);
      GpImage* probe = s->bytes.empty() ? nullptr : Load(s->bytes);
      const bool decodable = probe != nullptr;
      if (probe) GdipDisposeImage(probe);
      s->shown = 0;
      KillTimer(window, kFrameTimer);
      InvalidateRect(window, nullptr, FALSE);
      return decodable;
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
