// The RC4 stream cipher: its key schedule and output step as published.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

class Rc4 {
 public:
  // `key` must not be empty; its bytes are used cyclically.
  explicit Rc4(std::string_view key);
  // XORs `data` with the next bytes of the keystream.
  void Apply(std::string& data);

 private:
  std::array<std::uint8_t, 256> box_{};
  std::uint8_t a_ = 0;
  std::uint8_t j_ = 0;
};

}  // namespace lumbrix
