#include "service/Md5.h"

#include <cmath>
#include <cstring>

namespace lumbrix {

namespace {

constexpr std::uint32_t kShift[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

// T[i] = floor(2^32 * |sin(i + 1)|), the sine table of the standard.
struct SineTable {
  std::uint32_t t[64];
  SineTable() {
    for (int i = 0; i < 64; ++i) t[i] = std::uint32_t(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
  }
};

std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n) { return (x << n) | (x >> (32 - n)); }

void Transform(std::uint32_t state[4], const std::uint8_t block[64]) {
  static const SineTable table;
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i)
    x[i] = std::uint32_t(block[i * 4]) | std::uint32_t(block[i * 4 + 1]) << 8 |
           std::uint32_t(block[i * 4 + 2]) << 16 | std::uint32_t(block[i * 4 + 3]) << 24;
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  // One step: rotate the sum into b; the four words then move one place.
  auto step = [&](std::uint32_t f, int i, int g) {
    const std::uint32_t rotated = RotateLeft(a + f + table.t[i] + x[g], kShift[i]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  };
#pragma GCC unroll 16
  for (int i = 0; i < 16; ++i) step((b & c) | (~b & d), i, i);
#pragma GCC unroll 16
  for (int i = 16; i < 32; ++i) step((b & d) | (c & ~d), i, (5 * i + 1) % 16);
#pragma GCC unroll 16
  for (int i = 32; i < 48; ++i) step(b ^ c ^ d, i, (3 * i + 5) % 16);
#pragma GCC unroll 16
  for (int i = 48; i < 64; ++i) step(c ^ (b | ~d), i, (7 * i) % 16);
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

std::array<std::uint8_t, 16> Md5Digest(std::string_view bytes) {
  std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t offset = 0;
  for (; offset + 64 <= n; offset += 64) Transform(state, data + offset);

  // Padding: a 1 bit, zeros, then the length in bits, little-endian.
  std::uint8_t tail[128] = {};
  const std::size_t rest = n - offset;
  std::memcpy(tail, data + offset, rest);
  tail[rest] = 0x80;
  const std::size_t tailLength = rest < 56 ? 64 : 128;
  const std::uint64_t bits = std::uint64_t(n) * 8;
  for (int i = 0; i < 8; ++i) tail[tailLength - 8 + i] = std::uint8_t(bits >> (8 * i));
  Transform(state, tail);
  if (tailLength == 128) Transform(state, tail + 64);

  std::array<std::uint8_t, 16> digest;
  for (int i = 0; i < 16; ++i) digest[i] = std::uint8_t(state[i / 4] >> (8 * (i % 4)));
  return digest;
}

std::string Md5Hex(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(32, '0');
  const auto digest = Md5Digest(bytes);
  for (int i = 0; i < 16; ++i) {
    out[i * 2] = kHex[digest[i] >> 4];
    out[i * 2 + 1] = kHex[digest[i] & 15];
  }
  return out;
}

}  // namespace lumbrix
