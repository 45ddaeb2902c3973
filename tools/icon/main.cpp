// make-icon OUT.png: draws the application icon from code, 64 x 64 pixels
// with alpha: a rounded blue tile with a white "L".
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/display/Display.h"
#include "platform/gdi/GdiInternal.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make-icon OUT.png\n", stderr);
    return 2;
  }
  constexpr int kSize = 64;
  win::HBITMAP icon = win::CreateCompatibleBitmap(nullptr, kSize, kSize);
  const win::gdi::PixelView view = win::gdi::PixelsOf(icon);
  // Premultiplied pixels: inside the tile opaque, its rounded edge blended.
  auto coverage = [](double x, double y) {
    const double r = 12, lo = r, hi = kSize - r;
    const double dx = x < lo ? lo - x : x > hi ? x - hi : 0, dy = y < lo ? lo - y : y > hi ? y - hi : 0;
    return std::clamp(r + 0.5 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
  };
  for (int y = 0; y < kSize; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(view.data + std::size_t(y) * view.stride);
    for (int x = 0; x < kSize; ++x) {
      const bool letter = (x >= 22 && x < 30 && y >= 14 && y < 50) || (x >= 22 && x < 44 && y >= 42 && y < 50);
      const double a = coverage(x + 0.5, y + 0.5);
      const int r = letter ? 255 : 30, g = letter ? 255 : 110, b = letter ? 255 : 200;
      auto channel = [&](int c) { return std::uint32_t(std::lround(c * a)); };
      row[x] = std::uint32_t(std::lround(255 * a)) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
    }
  }
  win::gdi::MarkBitmapDirty(icon);
  return win::display::WritePng(icon, argv[1]) ? 0 : 1;
}
