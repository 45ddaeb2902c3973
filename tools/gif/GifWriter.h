// Writes animated GIF89a files: one global 256-colour palette, full-size
// frames with their delays, LZW-compressed. No loop block is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumbrix::tools {

struct GifFrame {
  std::vector<std::uint8_t> indices;  // width * height palette indices, top-down
  std::uint16_t delayHundredths = 100;
  // A frame may cover only part of the picture; width 0 means all of it.
  int left = 0, top = 0, width = 0, height = 0;
  // Pixels of this index let the frame below show through (-1: none).
  int transparentIndex = -1;
  // What becomes of the frame when the next is shown: 1 keeps it in place.
  int disposal = 0;
};

// Frame `next` as the part that differs from `previous` (both full-size
// index pictures), with unchanged pixels transparent, kept in place below
// the next frame: a decoder then composes and decodes far fewer pixels.
GifFrame ChangedPart(const std::vector<std::uint8_t>& previous, const std::vector<std::uint8_t>& next, int width,
                     int height, std::uint8_t transparentIndex, std::uint16_t delayHundredths);

struct Rgb {
  std::uint8_t r, g, b;
};

// The palette every frame uses: a 6x7x6 colour cube and 4 greys. The last
// grey is never chosen by NearestIndex and serves as the transparent index.
std::vector<Rgb> StandardPalette();
// The index of the palette colour nearest to (r, g, b) in the standard palette.
std::uint8_t NearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b);
inline constexpr std::uint8_t kTransparentIndex = 255;

std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<Rgb>& palette,
                                    const std::vector<GifFrame>& frames);

}  // namespace lumbrix::tools
