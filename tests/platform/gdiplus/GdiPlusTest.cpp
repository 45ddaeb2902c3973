#include "platform/gdiplus/GdiPlus.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/GlobalMemory.h"
#include "tests/support/Dib.h"

namespace win {
namespace {

class GdiPlusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
  }
  static inline ULONG_PTR token_ = 0;
};

using Dib = lumbrix::testing::Dib;

void Fill(GpGraphics* g, ARGB color, REAL x, REAL y, REAL w, REAL h) {
  GpSolidFill* brush = nullptr;
  ASSERT_EQ(GdipCreateSolidFill(color, &brush), Ok);
  EXPECT_EQ(GdipFillRectangle(g, reinterpret_cast<GpBrush*>(brush), x, y, w, h), Ok);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
}

TEST_F(GdiPlusTest, DrawingThroughADcLandsInItsPixelsPremultipliedAndClipped) {
  Dib dib(8, 8);
  HRGN left = CreateRectRgn(0, 0, 4, 8);
  SelectClipRgn(dib.dc, left);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dib.dc, &g), Ok);
  Fill(g, 0x80FF0000u, 0, 0, 8, 8);  // half-transparent red
  HDC back = nullptr;
  EXPECT_EQ(GdipGetDC(g, &back), Ok);
  EXPECT_EQ(back, dib.dc);
  EXPECT_EQ(GdipReleaseDC(g, back), Ok);
  ASSERT_EQ(GdipDeleteGraphics(g), Ok);
  EXPECT_EQ(dib.At(0, 0), 0x80800000u);  // premultiplied: 0x80 of red
  EXPECT_EQ(dib.At(3, 7), 0x80800000u);
  EXPECT_EQ(dib.At(4, 0), 0u);           // outside the DC's clip
  EXPECT_EQ(GetPixel(dib.dc, 1, 1), RGB(128, 0, 0));
  DeleteObject(left);
  EXPECT_EQ(GdipCreateFromHDC(reinterpret_cast<HDC>(0x999), &g), InvalidParameter);
}

TEST_F(GdiPlusTest, PngRoundTripsThroughGlobalMemoryStreams) {
  GpBitmap* original = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(5, 3, 0, PixelFormat32bppARGB, nullptr, &original), Ok);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) GdipBitmapSetPixel(original, x, y, 0xFF000000u | ARGB(x * 40) << 16 | ARGB(y * 80));

  IStream* out = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &out), S_OK);
  ASSERT_EQ(GdipSaveImageToStream(reinterpret_cast<GpImage*>(original), out, &PngEncoderClsid, nullptr), Ok);
  HGLOBAL block = nullptr;
  GetHGlobalFromStream(out, &block);
  ASSERT_GT(GlobalSize(block), 8u);
  EXPECT_EQ(std::memcmp(GlobalLock(block), "\x89PNG", 4), 0);
  GlobalUnlock(block);

  // A fresh stream over a copy of the bytes, which does not free them.
  const SIZE_T size = GlobalSize(block);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(copy), GlobalLock(block), size);
  GlobalUnlock(copy);
  GlobalUnlock(block);
  out->Release();
  IStream* in = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(copy, FALSE, &in), S_OK);
  GpBitmap* loaded = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(in, &loaded), Ok);
  UINT w = 0, h = 0;
  GdipGetImageWidth(reinterpret_cast<GpImage*>(loaded), &w);
  GdipGetImageHeight(reinterpret_cast<GpImage*>(loaded), &h);
  EXPECT_EQ(w, 5u);
  EXPECT_EQ(h, 3u);
  ARGB pixel = 0;
  GdipBitmapGetPixel(loaded, 4, 2, &pixel);
  EXPECT_EQ(pixel, 0xFFA000A0u);
  GdipDisposeImage(reinterpret_cast<GpImage*>(loaded));
  GdipDisposeImage(reinterpret_cast<GpImage*>(original));
  in->Release();
  GlobalFree(copy);

  IStream* junk = nullptr;
  HGLOBAL junkBlock = GlobalAlloc(GMEM_MOVEABLE, 16);
  CreateStreamOnHGlobal(junkBlock, TRUE, &junk);
  GpBitmap* none = nullptr;
  EXPECT_NE(GdipCreateBitmapFromStream(junk, &none), Ok);
  junk->Release();
}

TEST_F(GdiPlusTest, BitmapHandlesConvertBothWaysKeepingPixels) {
  Dib dib(4, 2);
  dib.bits[0] = 0xFF112233u;
  dib.bits[7] = 0x80402010u;
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(dib.bitmap, nullptr, &bitmap), Ok);
  HBITMAP back = nullptr;
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(bitmap, &back, 0), Ok);
  BITMAP record{};
  GetObjectA(back, sizeof record, &record);
  EXPECT_EQ(record.bmWidth, 4);
  const auto* pixels = static_cast<const std::uint32_t*>(record.bmBits);
  EXPECT_EQ(pixels[0], 0xFF112233u);
  EXPECT_EQ(pixels[7], 0x80402010u);
  DeleteObject(back);
  GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap));
}

TEST_F(GdiPlusTest, RegionsConvertBothWays) {
  HRGN source = CreateRectRgn(0, 0, 10, 5);
  HRGN second = CreateRectRgn(20, 20, 30, 25);
  CombineRgn(source, source, second, RGN_OR);
  GpRegion* region = nullptr;
  ASSERT_EQ(GdipCreateRegionHrgn(source, &region), Ok);
  HRGN back = nullptr;
  ASSERT_EQ(GdipGetRegionHRgn(region, nullptr, &back), Ok);
  RECT box;
  EXPECT_EQ(GetRgnBox(back, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{0, 0, 30, 25}));
  EXPECT_TRUE(PtInRegion(back, 25, 22));
  EXPECT_FALSE(PtInRegion(back, 15, 10));
  GdipDeleteRegion(region);
  for (HRGN r : {source, second, back}) DeleteObject(r);
}

// Where libgdiplus answers differently from Windows; each is listed in
// docs/platform-gaps.md.
TEST_F(GdiPlusTest, PlatformGapsArePinnedDown) {
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(reinterpret_cast<GpImage*>(bitmap), &g), Ok);
  HDC dc = reinterpret_cast<HDC>(0x1);
  EXPECT_EQ(GdipGetDC(g, &dc), Ok);
  EXPECT_EQ(GetObjectType(dc), 0u);  // not a DC of the platform; Windows gives one on the bitmap
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  GdipDeleteGraphics(g);
  UINT frames = 99;
  EXPECT_EQ(GdipImageGetFrameCount(reinterpret_cast<GpImage*>(bitmap), &FrameDimensionTime, &frames), Win32Error);
  EXPECT_EQ(frames, 99u);  // left as it was
  GdipDisposeImage(reinterpret_cast<GpImage*>(bitmap));
}

}  // namespace
}  // namespace win
