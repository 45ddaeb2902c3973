#include "service/Rc4.h"

#include <utility>

namespace lumbrix {

Rc4::Rc4(std::string_view key) {
  for (int i = 0; i < 256; ++i) box_[i] = std::uint8_t(i);
  std::uint8_t j = 0;
  for (std::size_t i = 0; i < 256; ++i) {
    j = std::uint8_t(j + box_[i] + static_cast<unsigned char>(key[i % key.size()]));
    std::swap(box_[i], box_[j]);
  }
}

void Rc4::Apply(std::string& data) {
  // Work on local copies: the output bytes may alias any byte array, and
  // locals keep the compiler from reloading the state after every write.
  std::array<std::uint8_t, 256> box = box_;
  std::uint8_t a = a_, j = j_;
  for (char& byte : data) {
    a = std::uint8_t(a + 1);
    j = std::uint8_t(j + box[a]);
    std::swap(box[a], box[j]);
    byte = char(static_cast<unsigned char>(byte) ^ box[std::uint8_t(box[a] + box[j])]);
  }
  box_ = box;
  a_ = a;
  j_ = j;
}

}  // namespace lumbrix
