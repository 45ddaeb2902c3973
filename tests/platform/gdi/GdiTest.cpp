#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include "platform/kernel/CodePage.h"
#include "tests/support/Dib.h"

namespace win {
namespace {

using Dib = lumbrix::testing::Dib;

TEST(Gdi, DibSectionsAreTopDownAndZeroed) {
  for (int height : {4, -4}) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(static_cast<std::uint32_t*>(bits)[11], 0u);
    BITMAP record{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof record, &record), int(sizeof record));
    EXPECT_EQ(record.bmWidth, 3);
    EXPECT_EQ(record.bmHeight, 4);
    EXPECT_EQ(record.bmBitsPixel, 32);
    EXPECT_EQ(record.bmBits, bits);
    DeleteObject(bitmap);
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(Gdi, FillsAndRectanglesWriteColourWithAlphaZero) {
  Dib dib(8, 8);
  dib.Fill(0xFF000000);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const RECT area{2, 2, 5, 4};
  FillRect(dib.dc, &area, red);
  EXPECT_EQ(dib.At(2, 2), 0x00FF0000u);
  EXPECT_EQ(dib.At(4, 3), 0x00FF0000u);
  EXPECT_EQ(dib.At(5, 3), 0xFF000000u);
  EXPECT_EQ(dib.Count(0x00FF0000u), 6);

  HPEN bluePen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  SelectObject(dib.dc, bluePen);
  SelectObject(dib.dc, green);
  Rectangle(dib.dc, 0, 0, 4, 4);
  EXPECT_EQ(dib.At(0, 0), 0x000000FFu);
  EXPECT_EQ(dib.At(3, 3), 0x000000FFu);
  EXPECT_EQ(dib.At(1, 1), 0x0000FF00u);
  EXPECT_EQ(dib.At(2, 2), 0x0000FF00u);
  EXPECT_EQ(dib.At(4, 4), 0xFF000000u);
  SelectObject(dib.dc, GetStockObject(BLACK_PEN));
  SelectObject(dib.dc, GetStockObject(WHITE_BRUSH));
  for (HGDIOBJ o : {HGDIOBJ(red), HGDIOBJ(bluePen), HGDIOBJ(green)}) EXPECT_TRUE(DeleteObject(o));
}

TEST(Gdi, ClipRegionsLimitDrawing) {
  Dib dib(8, 8);
  HRGN left = CreateRectRgn(0, 0, 4, 8);
  HRGN top = CreateRectRgn(0, 0, 8, 2);
  EXPECT_EQ(SelectClipRgn(dib.dc, left), SIMPLEREGION);
  EXPECT_EQ(ExtSelectClipRgn(dib.dc, top, RGN_OR), COMPLEXREGION);
  RECT box;
  EXPECT_EQ(GetClipBox(dib.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{0, 0, 8, 8}));
  const RECT all{0, 0, 8, 8};
  FillRect(dib.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(dib.Count(0x00FFFFFFu), 4 * 8 + 4 * 2);
  EXPECT_EQ(dib.At(6, 5), 0u);
  EXPECT_EQ(GetPixel(dib.dc, 6, 5), CLR_INVALID);  // outside the clip
  SelectClipRgn(dib.dc, nullptr);
  EXPECT_EQ(GetPixel(dib.dc, 6, 5), 0u);

  HRGN combined = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(combined, left, top, RGN_DIFF), SIMPLEREGION);
  EXPECT_EQ(GetRgnBox(combined, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 2, 4, 8}));
  EXPECT_EQ(CombineRgn(combined, left, left, RGN_XOR), NULLREGION);
  for (HRGN r : {left, top, combined}) DeleteObject(r);
}

TEST(Gdi, BlitsCopyStretchBlendAndKey) {
  Dib src(4, 4), dst(8, 8);
  for (int i = 0; i < 16; ++i) src.bits[i] = 0x80000000u | std::uint32_t(i);  // premultiplied, alpha 128
  ASSERT_TRUE(BitBlt(dst.dc, 1, 1, 4, 4, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(1, 1), 0x80000000u);
  EXPECT_EQ(dst.At(4, 4), 0x8000000Fu);  // all four bytes copied
  EXPECT_EQ(dst.At(0, 0), 0u);

  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 8, src.dc, 0, 0, 4, 4, SRCCOPY | CAPTUREBLT));
  EXPECT_EQ(dst.At(0, 0), 0x80000000u);
  EXPECT_EQ(dst.At(1, 1), 0x80000000u);
  EXPECT_EQ(dst.At(7, 7), 0x8000000Fu);
  EXPECT_EQ(dst.At(2, 0), 0x80000001u);

  // Per-pixel alpha: 50% white over opaque black.
  src.Fill(0x80808080u);
  dst.Fill(0xFF000000u);
  ASSERT_TRUE(AlphaBlend(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 4, 4, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
  EXPECT_EQ(dst.At(0, 0), 0xFF808080u);
  // Constant alpha over a per-pixel source.
  dst.Fill(0xFF000000u);
  src.Fill(0xFFFFFFFFu);
  ASSERT_TRUE(GdiAlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, BLENDFUNCTION{AC_SRC_OVER, 0, 64, AC_SRC_ALPHA}));
  EXPECT_EQ(dst.At(0, 0), 0xFF404040u);
  EXPECT_EQ(dst.At(2, 2), 0xFF000000u);

  src.Fill(0x00FF00FFu);  // magenta key
  src.bits[5] = 0x00123456u;
  dst.Fill(0u);
  ASSERT_TRUE(TransparentBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 4, 4, RGB(255, 0, 255)));
  EXPECT_EQ(dst.Count(0u), 63);
  EXPECT_EQ(dst.At(1, 1), 0x00123456u);
}

TEST(Gdi, PixelsAndInvalidHandles) {
  Dib dib(2, 2);
  EXPECT_EQ(SetPixel(dib.dc, 1, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(dib.At(1, 1), 0x00010203u);
  EXPECT_EQ(GetPixel(dib.dc, 1, 1), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dib.dc, 2, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dib.dc, -1, 0), CLR_INVALID);
  EXPECT_FALSE(DeleteObject(dib.bitmap));  // selected: in use
  const HDC madeUp = reinterpret_cast<HDC>(0x4242);
  EXPECT_EQ(GetPixel(madeUp, 0, 0), CLR_INVALID);
  EXPECT_FALSE(BitBlt(madeUp, 0, 0, 1, 1, dib.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(SelectObject(madeUp, GetStockObject(BLACK_BRUSH)), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects stay
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), DWORD(OBJ_BRUSH));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
}

class DrawTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectObject(dib_.dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dib_.dc, TRANSPARENT);
    SetTextColor(dib_.dc, RGB(255, 0, 0));
  }
  RECT Measure(const std::string& text, UINT format, int width = 1000) {
    RECT r{0, 0, width, 1000};
    DrawTextA(dib_.dc, text.c_str(), -1, &r, format | DT_CALCRECT);
    return r;
  }
  Dib dib_{200, 60};
};

TEST_F(DrawTextTest, MeasuresLongerTextsWiderAndWrapsAtTheWidth) {
  const RECT short_ = Measure("Lumbrix", DT_SINGLELINE | DT_NOPREFIX);
  const RECT long_ = Measure("Lumbrix Lumbrix", DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(short_.right, 20);
  EXPECT_GT(long_.right, short_.right);
  EXPECT_GE(short_.bottom, 12);
  EXPECT_LE(short_.bottom, 20);
  const RECT wrapped = Measure("one two three four five six seven", DT_WORDBREAK | DT_NOPREFIX, 60);
  EXPECT_LE(wrapped.right, 60);
  EXPECT_GE(wrapped.bottom, 3 * short_.bottom);
  LOGFONTA font{};
  ASSERT_EQ(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font), int(sizeof font));
  EXPECT_EQ(font.lfHeight, -12);
}

TEST_F(DrawTextTest, DrawsWhereItMeasuredInTheTextColour) {
  RECT r{10, 10, 190, 50};
  const std::string text = AnsiText("服务器连接失败！");
  DrawTextA(dib_.dc, text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  DrawTextA(dib_.dc, text.c_str(), -1, &r, DT_NOPREFIX | DT_SINGLELINE);
  int inside = 0, outside = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const std::uint32_t p = dib_.At(x, y);
      if (p == 0) continue;
      EXPECT_EQ(p & 0xFF00FFFFu, 0u) << "only red, alpha 0";
      (x >= r.left && x < r.right && y >= r.top && y < r.bottom ? inside : outside)++;
    }
  EXPECT_GT(inside, 100);
  EXPECT_EQ(outside, 0);
}

TEST_F(DrawTextTest, PrefixesUnderlineUnlessSwitchedOff) {
  const RECT plain = Measure("&File", DT_SINGLELINE | DT_NOPREFIX);
  const RECT prefixed = Measure("&File", DT_SINGLELINE);
  EXPECT_GT(plain.right, prefixed.right);  // the "&" is not drawn
  EXPECT_EQ(Measure("a&&b", DT_SINGLELINE).right, Measure("a&b", DT_SINGLELINE | DT_NOPREFIX).right);
}

TEST_F(DrawTextTest, CentresAndClipsToTheRectangle) {
  RECT r{50, 0, 150, 20};
  DrawTextA(dib_.dc, "centred", -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  int minX = 200, maxX = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x)
      if (dib_.At(x, y)) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        EXPECT_LT(y, 20);
      }
  EXPECT_NEAR((minX + maxX) / 2.0, 100.0, 3.0);
  RECT narrow{0, 30, 10, 50};
  DrawTextA(dib_.dc, "clipped text", -1, &narrow, DT_SINGLELINE | DT_NOPREFIX);
  for (int y = 30; y < 60; ++y)
    for (int x = 10; x < 200; ++x) EXPECT_EQ(dib_.At(x, y), 0u);
}

}  // namespace
}  // namespace win
