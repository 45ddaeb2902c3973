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
};

struct Rgb {
  std::uint8_t r, g, b;
};

// The palette every frame uses: a 6x7x6 colour cube and 4 greys.
std::vector<Rgb> StandardPalette();
// The index of the palette colour nearest to (r, g, b) in the standard palette.
std::uint8_t NearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b);

std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<Rgb>& palette,
                                    const std::vector<GifFrame>& frames);

}  // namespace lumbrix::tools
