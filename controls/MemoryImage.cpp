#include "controls/MemoryImage.h"

#include <algorithm>
#include <cstring>

#include "platform/kernel/GlobalMemory.h"

namespace lumbrix {

MemoryImage::Decoded::~Decoded() {
  if (image) win::GdipDisposeImage(image);
  if (stream) stream->Release();
  if (memoryBlock) win::GlobalFree(memoryBlock);
}

void MemoryImage::Release() {
  decoded_.reset();
  width_ = height_ = 0;
}

bool MemoryImage::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  Release();
  if (bytes.size() < 5) return false;
  auto decoded = std::make_shared<Decoded>();
  decoded->memoryBlock = win::GlobalAlloc(win::GMEM_MOVEABLE, bytes.size());
  if (!decoded->memoryBlock) return false;
  if (win::CreateStreamOnHGlobal(decoded->memoryBlock, win::FALSE, &decoded->stream) != win::S_OK) return false;
  void* target = win::GlobalLock(decoded->memoryBlock);
  if (!target) return false;
  std::memcpy(target, bytes.data(), bytes.size());
  win::GlobalUnlock(decoded->memoryBlock);
  win::GpBitmap* bitmap = nullptr;
  win::GdipCreateBitmapFromStream(decoded->stream, &bitmap);
  decoded->image = reinterpret_cast<win::GpImage*>(bitmap);
  if (!decoded->image) return false;
  decoded_ = std::move(decoded);
  win::UINT w = 0, h = 0;
  win::GdipGetImageWidth(decoded_->image, &w);
  win::GdipGetImageHeight(decoded_->image, &h);
  width_ = int(w);
  height_ = int(h);
  return true;
}

win::GpImage* MemoryImage::Handle() const { return decoded_ ? decoded_->image : nullptr; }

void MemoryImage::GetSize(int& width, int& height) {
  if (Handle() && width_ == 0) {
    win::UINT w = 0, h = 0;
    win::GdipGetImageWidth(Handle(), &w);
    win::GdipGetImageHeight(Handle(), &h);
    width_ = int(w);
    height_ = int(h);
    if (width_ == 0 || height_ == 0) Release();
  }
  width = width_;
  height = height_;
}

int MemoryImage::Width() {
  int w, h;
  GetSize(w, h);
  return w;
}

int MemoryImage::Height() {
  int w, h;
  GetSize(w, h);
  return h;
}

void MemoryImage::DrawRect(win::GpGraphics* graphics, float x, float y, float w, float h, float sx, float sy, float sw,
                           float sh, const win::GpImageAttributes* attributes) {
  win::GdipDrawImageRectRect(graphics, Handle(), x, y, w, h, sx, sy, sw, sh, win::UnitPixel, attributes, nullptr, nullptr);
}

void MemoryImage::DrawToDC(win::HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                           std::optional<std::int64_t> colour) {
  if (!Handle()) return;
  if (colour && *colour != -1) {
    win::HBRUSH brush = win::CreateSolidBrush(win::COLORREF(*colour));
    const win::RECT area{x, y, x + w, y + h};
    win::FillRect(dc, &area, brush);
    win::DeleteObject(brush);
  }
  if (sw == 0) sw = width_;
  if (sh == 0) sh = height_;
  win::GpGraphics* graphics = nullptr;
  if (win::GdipCreateFromHDC(dc, &graphics) != win::Ok) return;
  DrawRect(graphics, float(x), float(y), float(w), float(h), float(sx), float(sy), float(sw), float(sh), nullptr);
  win::GdipDeleteGraphics(graphics);
}

void MemoryImage::DrawToGraphics(win::GpGraphics* graphics, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                                 const win::GpImageAttributes* attributes) {
  if (!Handle()) return;
  if (sw == 0) sw = width_;
  if (sh == 0) sh = height_;
  DrawRect(graphics, float(x), float(y), float(w), float(h), float(sx), float(sy), float(sw), float(sh), attributes);
}

void MemoryImage::DrawModeToDC(win::HDC dc, int x, int y, int w, int h, int mode) {
  win::GpGraphics* graphics = nullptr;
  if (win::GdipCreateFromHDC(dc, &graphics) != win::Ok) return;
  DrawMode(graphics, x, y, w, h, mode);
  win::GdipDeleteGraphics(graphics);
}

void MemoryImage::DrawMode(win::GpGraphics* graphics, int x, int y, int w, int h, int mode) {
  if (!Handle()) return;
  const int iw = width_, ih = height_;
  const int cw = std::min(w, iw), ch = std::min(h, ih);
  auto whole = [&](int dx, int dy, int dw, int dh) {
    DrawRect(graphics, float(dx), float(dy), float(dw), float(dh), 0, 0, float(iw), float(ih), nullptr);
  };
  auto part = [&](int sx, int sy, int dx, int dy) {
    DrawRect(graphics, float(dx), float(dy), float(cw), float(ch), float(sx), float(sy), float(cw), float(ch), nullptr);
  };
  switch (mode) {
    case Cover: {
      const double s = std::max(double(w) / iw, double(h) / ih);
      const int dw = int(iw * s), dh = int(ih * s);
      whole(int(x + (w - dw) / 2.0), int(y + (h - dh) / 2.0), dw, dh);
      break;
    }
    case Stretch: whole(x, y, w, h); break;
    case Tile: {
      win::GpTexture* texture = nullptr;
      if (win::GdipCreateTexture(Handle(), win::WrapModeTile, &texture) == win::Ok) {
        win::GdipFillRectangle(graphics, reinterpret_cast<win::GpBrush*>(texture), float(x), float(y), float(w), float(h));
        win::GdipDeleteBrush(reinterpret_cast<win::GpBrush*>(texture));
      }
      break;
    }
    case Fit: {
      int fw = 0, fh = 0;
      FitSize(iw, ih, w, h, fw, fh);
      whole(int(x + (w - fw) / 2.0), int(y + (h - fh) / 2.0), fw, fh);
      break;
    }
    case TopLeft: part(0, 0, x, y); break;
    case BottomLeft: part(0, ih - ch, x, y + h - ch); break;
    case TopRight: part(iw - cw, 0, x + w - cw, y); break;
    case BottomRight: part(iw - cw, ih - ch, x + w - cw, y + h - ch); break;
    default: break;
  }
}

void MemoryImage::FitSize(int iw, int ih, int bw, int bh, int& fw, int& fh) {
  if (iw > bw) {
    fw = bw;
    fh = int(double(ih) * bw / iw);
  } else {
    fw = iw;
    fh = ih;
  }
  if (fh > bh) {
    fw = int(double(fw) * bh / fh);
    fh = bh;
  }
}

}  // namespace lumbrix
