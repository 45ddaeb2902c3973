// An image decoded from bytes held in memory, drawn into rectangles whole or
// in part, stretched, tiled, fitted, covering or pinned to a corner.
// GDI+ must have been started first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/gdiplus/GdiPlus.h"

namespace lumbrix {

class MemoryImage {
 public:
  // The eight drawing modes.
  enum Mode : int { Cover = 0, Stretch = 1, Tile = 2, Fit = 3, TopLeft = 4, BottomLeft = 5, TopRight = 6, BottomRight = 7 };

  MemoryImage() = default;
  // Copies share the decoded image; it is freed with the last of them.
  MemoryImage(const MemoryImage&) = default;
  MemoryImage& operator=(const MemoryImage&) = default;

  // Lets go of the image (and, with the last copy, of its memory block).
  void Release();
  // Decodes `bytes` (any format GDI+ reads); fewer than 5 bytes fail.
  bool LoadFromBytes(std::span<const std::uint8_t> bytes);
  int Width();
  int Height();
  // Reads the size once; an image whose size reads as 0 is released.
  void GetSize(int& width, int& height);
  win::GpImage* Handle() const;
  bool IsLoaded() const { return Handle() != nullptr; }

  // A source width or height of 0 stands for the image's own. A colour
  // (other than -1) first fills the destination rectangle.
  void DrawToDC(win::HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                std::optional<std::int64_t> colour = std::nullopt);
  void DrawToGraphics(win::GpGraphics* graphics, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                      const win::GpImageAttributes* attributes);
  void DrawModeToDC(win::HDC dc, int x, int y, int w, int h, int mode);
  void DrawMode(win::GpGraphics* graphics, int x, int y, int w, int h, int mode);
  // The size an image takes to fit a box: shrunk, never enlarged.
  static void FitSize(int imageWidth, int imageHeight, int boxWidth, int boxHeight, int& fitWidth, int& fitHeight);

 private:
  // The block, the stream over it that does not free it, and the image;
  // the image goes before the block.
  struct Decoded {
    win::HGLOBAL memoryBlock = nullptr;
    win::IStream* stream = nullptr;
    win::GpImage* image = nullptr;
    ~Decoded();
  };
  void DrawRect(win::GpGraphics* graphics, float x, float y, float w, float h, float sx, float sy, float sw, float sh,
                const win::GpImageAttributes* attributes);

  std::shared_ptr<Decoded> decoded_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace lumbrix
