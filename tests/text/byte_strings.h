#pragma once
// Test fixtures written as hexadecimal byte lists, such as "D2 6B 18 62 00 00".

#include <string>
#include <string_view>

#include "text/types.h"

inline std::string bytes_from_hex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

inline Text text_from_hex(std::string_view hex) {
  return bytes_from_hex(hex);
}

inline Bytes units_from_hex(std::string_view hex) {
  const std::string bytes = bytes_from_hex(hex);
  return Bytes(bytes.begin(), bytes.end());
}

inline std::string hex_of(std::string_view bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char byte : bytes) {
    if (!hex.empty()) hex.push_back(' ');
    hex.push_back(digits[byte >> 4]);
    hex.push_back(digits[byte & 0x0F]);
  }
  return hex;
}

inline std::string hex_of(const Bytes& bytes) {
  return hex_of(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
