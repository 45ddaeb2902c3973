#include "service/Base64.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lumbrix {

namespace {
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::int8_t kNotInAlphabet = -1;

constexpr std::array<std::int8_t, 256> MakeValueTable() {
  std::array<std::int8_t, 256> table{};
  table.fill(kNotInAlphabet);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i)
    table[static_cast<unsigned char>(kAlphabet[i])] = std::int8_t(i);
  return table;
}
constexpr auto kValueOf = MakeValueTable();
}  // namespace

std::string Base64Encode(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t whole = bytes.size() / 3;
  const std::size_t rest = bytes.size() % 3;
  std::string out((whole + (rest ? 1 : 0)) * 4, '=');
  char* o = out.data();
  for (std::size_t g = 0; g < whole; ++g, in += 3, o += 4) {
    const std::uint32_t group = std::uint32_t(in[0]) << 16 | std::uint32_t(in[1]) << 8 | in[2];
    o[0] = kAlphabet[group >> 18];
    o[1] = kAlphabet[(group >> 12) & 63];
    o[2] = kAlphabet[(group >> 6) & 63];
    o[3] = kAlphabet[group & 63];
  }
  if (rest) {
    const std::uint32_t group = std::uint32_t(in[0]) << 16 | (rest == 2 ? std::uint32_t(in[1]) << 8 : 0);
    o[0] = kAlphabet[group >> 18];
    o[1] = kAlphabet[(group >> 12) & 63];
    if (rest == 2) o[2] = kAlphabet[(group >> 6) & 63];
  }
  return out;
}

namespace {

template <typename Char>
std::string DecodeLeniently(std::basic_string_view<Char> text) {
  std::string out(text.size() * 3 / 4 + 3, '\0');
  char* o = out.data();
  std::uint32_t values[4];
  std::size_t count = 0;
  const std::size_t n = text.size();
  std::size_t i = 0;
  auto valueOf = [&](std::size_t at) { return kValueOf[static_cast<unsigned char>(text[at] & 0xFF)]; };
  while (i < n) {
    // The common case first: four characters of the alphabet in a row.
    if (count == 0 && i + 4 <= n) {
      const std::int8_t a = valueOf(i), b = valueOf(i + 1), c = valueOf(i + 2), d = valueOf(i + 3);
      if ((a | b | c | d) >= 0) {
        const std::uint32_t group = std::uint32_t(a) << 18 | std::uint32_t(b) << 12 | std::uint32_t(c) << 6 | std::uint32_t(d);
        o[0] = char(group >> 16);
        o[1] = char(group >> 8);
        o[2] = char(group);
        o += 3;
        i += 4;
        continue;
      }
    }
    const auto ch = static_cast<unsigned char>(text[i++] & 0xFF);
    if (ch == '=' && count >= 2) break;
    const std::int8_t value = kValueOf[ch];
    if (value == kNotInAlphabet) continue;
    values[count++] = std::uint32_t(value);
    if (count == 4) {
      const std::uint32_t group = values[0] << 18 | values[1] << 12 | values[2] << 6 | values[3];
      o[0] = char(group >> 16);
      o[1] = char(group >> 8);
      o[2] = char(group);
      o += 3;
      count = 0;
    }
  }
  if (count >= 2) *o++ = char((values[0] << 2) | (values[1] >> 4));
  if (count >= 3) *o++ = char(((values[1] & 15) << 4) | (values[2] >> 2));
  out.resize(std::size_t(o - out.data()));
  return out;
}

}  // namespace

std::string AuthCodeBase64Decode(std::u16string_view text) { return DecodeLeniently(text); }
std::string AuthCodeBase64Decode(std::string_view text) { return DecodeLeniently(text); }

}  // namespace lumbrix
