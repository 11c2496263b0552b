#pragma once
// Every literal of the program is GBK text at run time. Sources are UTF-8, so a literal is
// written "毒战"_gbk: it is converted once, on first use, and the converted Text is kept.

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "text/types.h"

namespace gbk_literal_detail {

Text utf8_literal_to_gbk(std::string_view utf8);

template <std::size_t N>
struct Utf8Literal {
  char bytes[N];
  constexpr Utf8Literal(const char (&literal)[N]) { std::copy_n(literal, N, bytes); }
  constexpr std::string_view view() const { return std::string_view(bytes, N - 1); }
};

}  // namespace gbk_literal_detail

// The converted Text is never destroyed: detached workers may still read a literal while the
// program is ending.
template <gbk_literal_detail::Utf8Literal utf8>
const Text& operator""_gbk() {
  static const Text& converted = *new Text(gbk_literal_detail::utf8_literal_to_gbk(utf8.view()));
  return converted;
}
