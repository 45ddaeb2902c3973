// Our declarations of the libgdiplus entry points that the bridge calls.
// Only GdiPlus.cpp includes this: everything above the substrate goes
// through the win:: functions.
#pragma once

#include "platform/gdiplus/GdiPlus.h"

namespace win::lib {

// libgdiplus reads and writes images through these callbacks, which carry
// no context: the stream is bound for the duration of the call.
using GetHeaderDelegate = int (*)(BYTE*, int);
using GetBytesDelegate = int (*)(BYTE*, int, BOOL);
using SeekDelegate = long (*)(int, int);
using PutBytesDelegate = int (*)(BYTE*, int);
using CloseDelegate = void (*)();
using SizeDelegate = long (*)();

extern "C" {
GpStatus GdiplusStartup(ULONG_PTR*, const GdiplusStartupInput*, GdiplusStartupOutput*);
void GdiplusShutdown(ULONG_PTR);
GpStatus GdipLoadImageFromDelegate_linux(GetHeaderDelegate, GetBytesDelegate, PutBytesDelegate, SeekDelegate,
                                         CloseDelegate, SizeDelegate, GpImage**);
GpStatus GdipSaveImageToDelegate_linux(GpImage*, GetBytesDelegate, PutBytesDelegate, SeekDelegate, CloseDelegate,
                                       SizeDelegate, const CLSID*, const EncoderParameters*);
GpStatus GdipGetDC(GpGraphics*, HDC*);
GpStatus GdipReleaseDC(GpGraphics*, HDC);
GpStatus GdipDeleteGraphics(GpGraphics*);
GpStatus GdipGetImageGraphicsContext(GpImage*, GpGraphics**);
GpStatus GdipGraphicsClear(GpGraphics*, ARGB);
GpStatus GdipSetInterpolationMode(GpGraphics*, InterpolationMode);
GpStatus GdipSetClipRect(GpGraphics*, REAL, REAL, REAL, REAL, CombineMode);
GpStatus GdipSetClipRegion(GpGraphics*, GpRegion*, CombineMode);
GpStatus GdipResetClip(GpGraphics*);
GpStatus GdipCreateBitmapFromScan0(INT, INT, INT, PixelFormat, BYTE*, GpBitmap**);
GpStatus GdipDisposeImage(GpImage*);
GpStatus GdipCloneImage(GpImage*, GpImage**);
GpStatus GdipGetImageWidth(GpImage*, UINT*);
GpStatus GdipGetImageHeight(GpImage*, UINT*);
GpStatus GdipGetImagePixelFormat(GpImage*, PixelFormat*);
GpStatus GdipBitmapGetPixel(GpBitmap*, INT, INT, ARGB*);
GpStatus GdipBitmapSetPixel(GpBitmap*, INT, INT, ARGB);
GpStatus GdipBitmapLockBits(GpBitmap*, const GpRect*, UINT, PixelFormat, BitmapData*);
GpStatus GdipBitmapUnlockBits(GpBitmap*, BitmapData*);
GpStatus GdipImageGetFrameCount(GpImage*, const GUID*, UINT*);
GpStatus GdipImageSelectActiveFrame(GpImage*, const GUID*, UINT);
GpStatus GdipGetPropertyItemSize(GpImage*, PROPID, UINT*);
GpStatus GdipGetPropertyItem(GpImage*, PROPID, UINT, PropertyItem*);
GpStatus GdipGetImagePaletteSize(GpImage*, INT*);
GpStatus GdipGetImagePalette(GpImage*, ColorPalette*, INT);
GpStatus GdipDrawImageRectRect(GpGraphics*, GpImage*, REAL, REAL, REAL, REAL, REAL, REAL, REAL, REAL, GpUnit,
                               const GpImageAttributes*, void*, void*);
GpStatus GdipCreateSolidFill(ARGB, GpSolidFill**);
GpStatus GdipCreateTexture(GpImage*, GpWrapMode, GpTexture**);
GpStatus GdipDeleteBrush(GpBrush*);
GpStatus GdipFillRectangle(GpGraphics*, GpBrush*, REAL, REAL, REAL, REAL);
GpStatus GdipCreateRegion(GpRegion**);
GpStatus GdipCreateRegionRect(const void* rectF, GpRegion**);
GpStatus GdipCombineRegionRectI(GpRegion*, const GpRect*, CombineMode);
GpStatus GdipSetEmpty(GpRegion*);
GpStatus GdipDeleteRegion(GpRegion*);
GpStatus GdipGetRegionScansCount(GpRegion*, UINT*, GpMatrix*);
GpStatus GdipGetRegionScansI(GpRegion*, GpRect*, INT*, GpMatrix*);
GpStatus GdipCreateMatrix(GpMatrix**);
GpStatus GdipDeleteMatrix(GpMatrix*);
}

}  // namespace win::lib
