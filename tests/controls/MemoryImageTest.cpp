#include "controls/MemoryImage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/GlobalMemory.h"
#include "tests/support/Dib.h"

namespace lumbrix {
namespace {

// A PNG whose pixel (x, y) is RGB(2x, 4y, 200), so drawn pixels tell where
// in the image they came from.
std::vector<std::uint8_t> GradientPng(int w, int h) {
  win::GpBitmap* bitmap = nullptr;
  win::GdipCreateBitmapFromScan0(w, h, 0, win::PixelFormat32bppARGB, nullptr, &bitmap);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      win::GdipBitmapSetPixel(bitmap, x, y, 0xFF0000C8u | win::ARGB(2 * x) << 16 | win::ARGB(4 * y) << 8);
  win::IStream* stream = nullptr;
  win::CreateStreamOnHGlobal(nullptr, win::TRUE, &stream);
  win::GdipSaveImageToStream(reinterpret_cast<win::GpImage*>(bitmap), stream, &win::PngEncoderClsid, nullptr);
  win::GdipDisposeImage(reinterpret_cast<win::GpImage*>(bitmap));
  win::HGLOBAL block = nullptr;
  win::GetHGlobalFromStream(stream, &block);
  const auto* data = static_cast<const std::uint8_t*>(win::GlobalLock(block));
  std::vector<std::uint8_t> png(data, data + win::GlobalSize(block));
  win::GlobalUnlock(block);
  stream->Release();
  return png;
}

// A DIB to draw on, and the box of its pixels that were drawn (GDI+ sets
// their alpha).
struct Canvas : testing::Dib {
  using Dib::Dib;
  win::RECT Drawn() const {
    win::RECT box{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (At(x, y) >> 24) box = win::RECT{std::min<win::LONG>(box.left, x), std::min<win::LONG>(box.top, y),
                                            std::max<win::LONG>(box.right, x + 1), std::max<win::LONG>(box.bottom, y + 1)};
    return box;
  }
};

class MemoryImageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    win::ULONG_PTR token;
    win::GdiplusStartupInput input;
    win::GdiplusStartup(&token, &input, nullptr);
    png_ = GradientPng(100, 50);
  }
  void SetUp() override { ASSERT_TRUE(image_.LoadFromBytes(png_)); }
  static inline std::vector<std::uint8_t> png_;
  MemoryImage image_;
};

TEST_F(MemoryImageTest, LoadingReleasesTheLastImageAndFailuresLeaveItEmpty) {
  EXPECT_EQ(image_.Width(), 100);
  EXPECT_EQ(image_.Height(), 50);
  EXPECT_TRUE(image_.IsLoaded());
  const std::vector<std::uint8_t> small = GradientPng(3, 2);
  ASSERT_TRUE(image_.LoadFromBytes(small));
  EXPECT_EQ(image_.Width(), 3);
  const std::uint8_t four[] = {0x89, 'P', 'N', 'G'};
  EXPECT_FALSE(image_.LoadFromBytes(four));
  EXPECT_FALSE(image_.IsLoaded());
  EXPECT_EQ(image_.Width(), 0);
  const std::vector<std::uint8_t> junk(64, 0x42);
  EXPECT_FALSE(image_.LoadFromBytes(junk));
  EXPECT_FALSE(image_.IsLoaded());
}

TEST_F(MemoryImageTest, CopiesShareTheImageUntilTheLastGoes) {
  MemoryImage copy = image_;
  image_.Release();
  EXPECT_FALSE(image_.IsLoaded());
  EXPECT_TRUE(copy.IsLoaded());
  EXPECT_EQ(copy.Width(), 100);
}

TEST_F(MemoryImageTest, ModeGeometry) {
  struct Case {
    int mode, x, y, w, h;
    win::RECT drawn;
  };
  const Case cases[] = {
      {MemoryImage::Fit, 10, 10, 40, 40, {10, 20, 50, 40}},            // 40x20 at (x, y + 10)
      {MemoryImage::Fit, 0, 0, 400, 400, {150, 175, 250, 225}},        // 100x50 at (x + 150, y + 175)
      {MemoryImage::Cover, 200, 100, 200, 200, {100, 100, 500, 300}},  // 400x200 at (x - 100, y)
      {MemoryImage::Stretch, 5, 5, 30, 70, {5, 5, 35, 75}},
      {MemoryImage::BottomRight, 10, 10, 40, 40, {10, 10, 50, 50}},
      {MemoryImage::BottomRight, 0, 0, 400, 400, {300, 350, 400, 400}},  // the whole image at (x + 300, y + 350)
      {MemoryImage::TopLeft, 3, 4, 400, 400, {3, 4, 103, 54}},
      {MemoryImage::Tile, 0, 0, 250, 120, {0, 0, 250, 120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Canvas canvas(600, 420);
    image_.DrawModeToDC(canvas.dc, c.x, c.y, c.w, c.h, c.mode);
    EXPECT_EQ(canvas.Drawn(), c.drawn);
  }
  Canvas nothing(50, 50);
  image_.DrawModeToDC(nothing.dc, 0, 0, 50, 50, 9);
  EXPECT_EQ(nothing.Drawn().right, 0);
}

TEST_F(MemoryImageTest, CornerModesTakeTheirCornerOfTheImage) {
  Canvas canvas(60, 60);
  image_.DrawModeToDC(canvas.dc, 0, 0, 40, 40, MemoryImage::BottomRight);
  // Drawn (0, 0) is image pixel (60, 10): RGB(120, 40, 200).
  EXPECT_EQ(canvas.At(0, 0), 0xFF7828C8u);
  Canvas top(60, 60);
  image_.DrawModeToDC(top.dc, 0, 0, 40, 40, MemoryImage::TopRight);
  EXPECT_EQ(top.At(0, 0), 0xFF7800C8u);  // image pixel (60, 0)
}

TEST_F(MemoryImageTest, DrawToDcFillsFirstUnlessTheColourIsMinusOne) {
  Canvas canvas(200, 100);
  image_.DrawToDC(canvas.dc, 0, 0, 150, 60, 0, 0, 0, 0, -1);
  EXPECT_EQ(canvas.Drawn(), (win::RECT{0, 0, 150, 60}));  // sizes of 0 stand for the whole image
  EXPECT_EQ(canvas.At(160, 10), 0u);
  Canvas filled(200, 100);
  image_.DrawToDC(filled.dc, 0, 0, 10, 10, 0, 0, 5, 5, win::COLORREF(0x00FF00));
  EXPECT_EQ(filled.At(5, 5) >> 24, 0xFFu);
}

TEST(MemoryImageFit, FitSizeShrinksAndNeverEnlarges) {
  int w = 0, h = 0;
  MemoryImage::FitSize(100, 50, 40, 40, w, h);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 20);
  MemoryImage::FitSize(100, 50, 400, 400, w, h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 50);
  MemoryImage::FitSize(50, 100, 400, 40, w, h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 40);
}

}  // namespace
}  // namespace lumbrix
