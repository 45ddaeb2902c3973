// The GDI+ flat functions the program calls, on libgdiplus. Most pass
// straight through; those that take a platform object (a DC, a window, a
// bitmap handle, a region, a stream) are bridged onto the substrate's own.
// Statuses are libgdiplus's own.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Stream.h"

namespace win {

struct GpGraphics;
struct GpImage;
struct GpBitmap;  // a GpImage
struct GpBrush;
struct GpSolidFill;
struct GpTexture;
struct GpRegion;
struct GpImageAttributes;
struct GpMatrix;

using REAL = float;
using ARGB = DWORD;
using PROPID = ULONG;
using PixelFormat = INT;

enum GpStatus : int {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
};

enum GpUnit : int { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };
enum GpWrapMode : int { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };
enum CombineMode : int { CombineModeReplace = 0, CombineModeIntersect = 1, CombineModeUnion = 2, CombineModeXor = 3, CombineModeExclude = 4, CombineModeComplement = 5 };
enum InterpolationMode : int { InterpolationModeDefault = 0, InterpolationModeNearestNeighbor = 5, InterpolationModeHighQualityBicubic = 7 };
enum ImageLockMode : UINT { ImageLockModeRead = 1, ImageLockModeWrite = 2, ImageLockModeUserInputBuf = 4 };

inline constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
inline constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
inline constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
inline constexpr PROPID PropertyTagFrameDelay = 0x5100;
inline constexpr PROPID PropertyTagLoopCount = 0x5101;

// Frame dimensions and encoders.
extern const GUID FrameDimensionTime;
extern const GUID FrameDimensionPage;
extern const CLSID PngEncoderClsid;

struct GdiplusStartupInput {
  std::uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
  void* NotificationHook;
  void* NotificationUnhook;
};
struct GpRect {
  INT X, Y, Width, Height;
};
struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  INT PixelFormat;  // a PixelFormat value
  void* Scan0;
  UINT_PTR Reserved;
};
struct PropertyItem {
  PROPID id;
  ULONG length;
  WORD type;
  void* value;
};
struct EncoderParameters;
struct ColorPalette {
  UINT Flags;
  UINT Count;
  ARGB Entries[1];  // Count entries
};
inline constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// Graphics over platform objects: they draw into the DC's bitmap or the
// window's surface, inside the DC's clip.
GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipCreateFromHDC2(HDC dc, HANDLE device, GpGraphics** graphics);
GpStatus GdipCreateFromHWND(HWND window, GpGraphics** graphics);
GpStatus GdipCreateFromHWNDICM(HWND window, GpGraphics** graphics);
GpStatus GdipGetDC(GpGraphics* graphics, HDC* dc);
GpStatus GdipReleaseDC(GpGraphics* graphics, HDC dc);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, CombineMode mode);
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, CombineMode mode);
GpStatus GdipSetClipHrgn(GpGraphics* graphics, HRGN region, CombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);

// Images from and to streams and platform bitmaps.
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap);
GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder, const EncoderParameters* parameters);
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP bitmap, void* palette, GpBitmap** out);
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* out, ARGB background);
GpStatus GdipCreateBitmapFromGdiDib(const BITMAPINFO* info, void* bits, GpBitmap** out);
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0, GpBitmap** bitmap);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipCloneImage(GpImage* image, GpImage** clone);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color);
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format, BitmapData* data);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data);
GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count);
GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index);
GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size);
GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* item);
GpStatus GdipGetImagePaletteSize(GpImage* image, INT* size);
GpStatus GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size);

// Drawing.
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstX, REAL dstY, REAL dstWidth,
                               REAL dstHeight, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight, GpUnit unit,
                               const GpImageAttributes* attributes, void* abortCallback, void* abortData);
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus GdipCreateTexture(GpImage* image, GpWrapMode mode, GpTexture** texture);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);

// Regions.
GpStatus GdipCreateRegion(GpRegion** region);
GpStatus GdipCreateRegionHrgn(HRGN hrgn, GpRegion** region);
GpStatus GdipGetRegionHRgn(GpRegion* region, GpGraphics* graphics, HRGN* hrgn);
GpStatus GdipDeleteRegion(GpRegion* region);

}  // namespace win
