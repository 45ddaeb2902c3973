// A memory DC with a top-down 32-bit DIB section selected, for tests that
// look at pixels.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/gdi/Gdi.h"

namespace lumbrix::testing {

class Dib {
 public:
  Dib(int w, int h) : width(w), height(h) {
    win::BITMAPINFO info{};
    info.bmiHeader = {sizeof(win::BITMAPINFOHEADER), w, -h, 1, 32, win::BI_RGB, 0, 0, 0, 0, 0};
    bitmap = win::CreateDIBSection(nullptr, &info, win::DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    dc = win::CreateCompatibleDC(nullptr);
    previous = win::SelectObject(dc, bitmap);
  }
  ~Dib() {
    win::SelectObject(dc, previous);
    win::DeleteDC(dc);
    win::DeleteObject(bitmap);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  std::uint32_t At(int x, int y) const { return bits[y * width + x]; }
  void Fill(std::uint32_t pixel) { std::fill(bits, bits + width * height, pixel); }
  int Count(std::uint32_t pixel) const { return int(std::count(bits, bits + width * height, pixel)); }

  int width, height;
  win::HBITMAP bitmap;
  win::HDC dc;
  win::HGDIOBJ previous;
  std::uint32_t* bits = nullptr;
};

}  // namespace lumbrix::testing
