#include "tools/gif/GifWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/gdiplus/GdiPlus.h"
#include "platform/kernel/GlobalMemory.h"

namespace lumbrix::tools {
namespace {

win::GpImage* Decode(const std::vector<std::uint8_t>& gif) {
  win::HGLOBAL block = win::GlobalAlloc(win::GMEM_MOVEABLE, gif.size());
  std::memcpy(win::GlobalLock(block), gif.data(), gif.size());
  win::GlobalUnlock(block);
  win::IStream* stream = nullptr;
  win::CreateStreamOnHGlobal(block, win::TRUE, &stream);
  win::GpBitmap* image = nullptr;
  win::GdipCreateBitmapFromStream(stream, &image);
  stream->Release();
  return reinterpret_cast<win::GpImage*>(image);
}

// What GDI+ decodes is exactly what was written, frame by frame, for
// content that fills the string table many times over.
TEST(GifWriter, GdiPlusDecodesEveryFrameExactly) {
  win::ULONG_PTR token;
  win::GdiplusStartupInput input;
  ASSERT_EQ(win::GdiplusStartup(&token, &input, nullptr), win::Ok);
  const int w = 97, h = 61;
  const std::vector<Rgb> palette = StandardPalette();
  std::mt19937 random(3);
  std::vector<GifFrame> frames(3);
  for (int f = 0; f < 3; ++f) {
    frames[f].indices.resize(std::size_t(w) * h);
    for (auto& i : frames[f].indices) i = std::uint8_t(f == 0 ? random() % 256 : f == 1 ? random() % 3 : 7);
    frames[f].delayHundredths = std::uint16_t(50 * (f + 1));
  }
  const auto gif = EncodeGif(w, h, palette, frames);
  win::GpImage* image = Decode(gif);
  ASSERT_NE(image, nullptr);
  // Without a loop block libgdiplus lists the frames as pages, not as
  // times as Windows does (docs/platform-gaps.md).
  win::UINT count = 0;
  EXPECT_EQ(win::GdipImageGetFrameCount(image, &win::FrameDimensionTime, &count), win::Win32Error);
  ASSERT_EQ(win::GdipImageGetFrameCount(image, &win::FrameDimensionPage, &count), win::Ok);
  ASSERT_EQ(count, 3u);
  for (int f = 0; f < 3; ++f) {
    win::GdipImageSelectActiveFrame(image, &win::FrameDimensionPage, win::UINT(f));
    win::UINT size = 0;
    ASSERT_EQ(win::GdipGetPropertyItemSize(image, win::PropertyTagFrameDelay, &size), win::Ok);
    std::vector<unsigned char> buffer(size);
    auto* item = reinterpret_cast<win::PropertyItem*>(buffer.data());
    ASSERT_EQ(win::GdipGetPropertyItem(image, win::PropertyTagFrameDelay, size, item), win::Ok);
    EXPECT_EQ(*static_cast<const std::int32_t*>(item->value), 50 * (f + 1));
    int wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        win::ARGB pixel = 0;
        win::GdipBitmapGetPixel(reinterpret_cast<win::GpBitmap*>(image), x, y, &pixel);
        const Rgb c = palette[frames[f].indices[std::size_t(y) * w + x]];
        if (pixel != (0xFF000000u | win::ARGB(c.r) << 16 | win::ARGB(c.g) << 8 | c.b)) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << "frame " << f;
  }
  win::GdipDisposeImage(image);
  EXPECT_EQ(NearestIndex(255, 255, 255), 251);
  EXPECT_EQ(palette[NearestIndex(255, 0, 0)].r, 255);
}

}  // namespace
}  // namespace lumbrix::tools
