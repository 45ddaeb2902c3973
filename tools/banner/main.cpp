// make-banner OUT.gif: draws the launcher's banner from code, an animated
// GIF of 1920 x 642 pixels with seven frames of one second each.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gdi/Gdi.h"
#include "platform/kernel/CodePage.h"
#include "tools/gif/GifWriter.h"

namespace {

using namespace win;
using lumbrix::tools::GifFrame;

constexpr int kWidth = 1920, kHeight = 642, kFrames = 7;

struct Canvas {
  Canvas() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    SetBkMode(dc, TRANSPARENT);
  }
  ~Canvas() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  void Fill(int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  void Text(const char* utf8, int height, LONG weight, COLORREF colour, RECT area, UINT format) {
    LOGFONTA font{};
    font.lfHeight = -height;
    font.lfWeight = weight;
    std::strcpy(font.lfFaceName, "WenQuanYi Micro Hei");
    HFONT f = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, f);
    SetTextColor(dc, colour);
    const std::string ansi = AnsiText(utf8);
    DrawTextA(dc, ansi.c_str(), -1, &area, format | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(f);
  }
  HBITMAP bitmap;
  HDC dc;
  std::uint32_t* bits = nullptr;
};

COLORREF Mix(COLORREF a, COLORREF b, double t) {
  auto lerp = [&](int x, int y) { return BYTE(std::lround(x + (y - x) * t)); };
  return RGB(lerp(GetRValue(a), GetRValue(b)), lerp(GetGValue(a), GetGValue(b)), lerp(GetBValue(a), GetBValue(b)));
}

// Bands of colour from top to bottom compress well and scale down smoothly.
void Sky(Canvas& c) {
  const COLORREF top = RGB(18, 32, 64), bottom = RGB(20, 120, 140);
  constexpr int kBands = 24;
  for (int band = 0; band < kBands; ++band)
    c.Fill(0, band * kHeight / kBands, kWidth, (band + 1) * kHeight / kBands, Mix(top, bottom, band / double(kBands - 1)));
}

void Draw(Canvas& c, int frame) {
  Sky(c);
  // A light beam that sweeps across, one step a frame.
  const int beam = 160 + frame * 260;
  c.Fill(beam, 0, beam + 90, kHeight, RGB(70, 150, 190));
  c.Fill(beam + 30, 0, beam + 60, kHeight, RGB(120, 190, 220));
  c.Text("Lumbrix", 230, FW_BOLD, RGB(255, 255, 255), RECT{0, 90, kWidth, 380}, DT_CENTER | DT_SINGLELINE);
  c.Text("轻量 · 快速 · 可靠的启动器", 72, FW_NORMAL, RGB(255, 220, 120), RECT{0, 380, kWidth, 480},
         DT_CENTER | DT_SINGLELINE);
  for (int i = 0; i < kFrames; ++i) {
    const int x = kWidth / 2 - (kFrames * 70) / 2 + i * 70;
    c.Fill(x, 540, x + 40, 580, i == frame ? RGB(255, 220, 120) : RGB(60, 80, 110));
  }
}

std::vector<std::uint8_t> Quantize(const Canvas& c) {
  std::vector<std::uint8_t> indices(std::size_t(kWidth) * kHeight);
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const std::uint32_t p = c.bits[i];
    indices[i] = lumbrix::tools::NearestIndex(std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p));
  }
  return indices;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make-banner OUT.gif\n", stderr);
    return 2;
  }
  // The first frame whole; each later one only where it differs, over the
  // frame before it.
  std::vector<GifFrame> frames;
  std::vector<std::uint8_t> previous;
  for (int f = 0; f < kFrames; ++f) {
    Canvas canvas;
    Draw(canvas, f);
    std::vector<std::uint8_t> picture = Quantize(canvas);
    if (f == 0) {
      GifFrame first;
      first.indices = picture;
      first.disposal = 1;
      frames.push_back(std::move(first));
    } else {
      frames.push_back(lumbrix::tools::ChangedPart(previous, picture, kWidth, kHeight, lumbrix::tools::kTransparentIndex, 100));
    }
    previous = std::move(picture);
  }
  const auto gif = lumbrix::tools::EncodeGif(kWidth, kHeight, lumbrix::tools::StandardPalette(), frames);
  FILE* out = std::fopen(argv[1], "wb");
  if (!out || std::fwrite(gif.data(), 1, gif.size(), out) != gif.size()) {
    std::perror(argv[1]);
    return 1;
  }
  std::fclose(out);
  return 0;
}
