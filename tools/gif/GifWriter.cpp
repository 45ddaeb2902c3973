#include "tools/gif/GifWriter.h"

#include <algorithm>
#include <array>

namespace lumbrix::tools {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(std::uint8_t(v & 0xFF));
  out.push_back(std::uint8_t(v >> 8));
}

// Packs variable-width codes, least significant bit first, into sub-blocks.
class CodeWriter {
 public:
  explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void Write(unsigned code, int width) {
    bits_ |= std::uint32_t(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      Byte(std::uint8_t(bits_ & 0xFF));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  void Finish() {
    if (count_ > 0) Byte(std::uint8_t(bits_ & 0xFF));
    if (!block_.empty()) Flush();
    out_.push_back(0);  // block terminator
  }

 private:
  void Byte(std::uint8_t b) {
    block_.push_back(b);
    if (block_.size() == 255) Flush();
  }
  void Flush() {
    out_.push_back(std::uint8_t(block_.size()));
    out_.insert(out_.end(), block_.begin(), block_.end());
    block_.clear();
  }
  std::vector<std::uint8_t>& out_;
  std::vector<std::uint8_t> block_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

// LZW with 8-bit symbols. The string table is a hash of (prefix, symbol)
// with generation stamps, so a reset costs nothing.
void CompressLzw(const std::vector<std::uint8_t>& indices, std::vector<std::uint8_t>& out) {
  constexpr int kMinCodeSize = 8;
  constexpr unsigned kClear = 1u << kMinCodeSize, kEnd = kClear + 1, kMaxCode = 4095;
  constexpr std::size_t kSlots = 1 << 14;
  struct Slot {
    std::uint32_t key = 0;
    std::uint16_t code = 0;
    std::uint32_t generation = 0;
  };
  std::vector<Slot> table(kSlots);
  std::uint32_t generation = 1;
  out.push_back(kMinCodeSize);
  CodeWriter writer(out);
  unsigned next = kEnd + 1;
  int width = kMinCodeSize + 1;
  writer.Write(kClear, width);
  if (indices.empty()) {
    writer.Write(kEnd, width);
    writer.Finish();
    return;
  }
  unsigned prefix = indices[0];
  for (std::size_t i = 1; i < indices.size(); ++i) {
    const std::uint8_t symbol = indices[i];
    const std::uint32_t key = (prefix << 8 | symbol) + 1;
    std::size_t slot = (key * 2654435761u) & (kSlots - 1);
    while (table[slot].generation == generation && table[slot].key != key) slot = (slot + 1) & (kSlots - 1);
    if (table[slot].generation == generation) {
      prefix = table[slot].code;
      continue;
    }
    writer.Write(prefix, width);
    if (next <= kMaxCode) {
      table[slot] = Slot{key, std::uint16_t(next), generation};
      if (next == (1u << width) && width < 12) ++width;
      ++next;
    } else {
      writer.Write(kClear, width);
      ++generation;
      next = kEnd + 1;
      width = kMinCodeSize + 1;
    }
    prefix = symbol;
  }
  writer.Write(prefix, width);
  writer.Write(kEnd, width);
  writer.Finish();
}

}  // namespace

std::vector<Rgb> StandardPalette() {
  std::vector<Rgb> palette;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 6; ++b)
        palette.push_back(Rgb{std::uint8_t(r * 51), std::uint8_t(g * 255 / 6), std::uint8_t(b * 51)});
  for (int i = 1; i <= 4; ++i) palette.push_back(Rgb{std::uint8_t(i * 51 - 25), std::uint8_t(i * 51 - 25), std::uint8_t(i * 51 - 25)});
  return palette;
}

std::uint8_t NearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const int ri = (r + 25) / 51, gi = (g * 6 + 127) / 255, bi = (b + 25) / 51;
  return std::uint8_t((ri * 7 + gi) * 6 + bi);
}

GifFrame ChangedPart(const std::vector<std::uint8_t>& previous, const std::vector<std::uint8_t>& next, int width,
                     int height, std::uint8_t transparentIndex, std::uint16_t delayHundredths) {
  int left = width, top = height, right = 0, bottom = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (previous[std::size_t(y) * width + x] != next[std::size_t(y) * width + x]) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  if (right == 0) left = top = 0, right = bottom = 1;  // nothing changed: one transparent pixel
  GifFrame frame;
  frame.delayHundredths = delayHundredths;
  frame.left = left;
  frame.top = top;
  frame.width = right - left;
  frame.height = bottom - top;
  frame.transparentIndex = transparentIndex;
  frame.disposal = 1;
  frame.indices.reserve(std::size_t(frame.width) * frame.height);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const std::size_t i = std::size_t(y) * width + x;
      frame.indices.push_back(previous[i] == next[i] ? transparentIndex : next[i]);
    }
  return frame;
}

std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<Rgb>& palette,
                                    const std::vector<GifFrame>& frames) {
  std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, unsigned(width));
  Put16(out, unsigned(height));
  out.push_back(0xF7);  // global table of 256 entries, 8 bits a channel
  out.push_back(0);     // background colour
  out.push_back(0);     // aspect ratio
  for (std::size_t i = 0; i < 256; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
    out.insert(out.end(), {c.r, c.g, c.b});
  }
  for (const GifFrame& frame : frames) {
    const bool transparent = frame.transparentIndex >= 0;
    out.insert(out.end(), {0x21, 0xF9, 0x04, std::uint8_t((frame.disposal & 7) << 2 | (transparent ? 1 : 0))});
    Put16(out, frame.delayHundredths);
    out.insert(out.end(), {std::uint8_t(transparent ? frame.transparentIndex : 0), 0x00});
    out.push_back(0x2C);
    Put16(out, unsigned(frame.left));
    Put16(out, unsigned(frame.top));
    Put16(out, unsigned(frame.width ? frame.width : width));
    Put16(out, unsigned(frame.width ? frame.height : height));
    out.push_back(0);  // no local table, not interlaced
    CompressLzw(frame.indices, out);
  }
  out.push_back(0x3B);
  return out;
}

}  // namespace lumbrix::tools
