#pragma once
// What the fuzz targets share: cutting the input into texts and stopping on a broken property.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "text/types.h"

// Stops the run when a property does not hold; libFuzzer keeps the input as a crash artifact.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

// The input cut at its NUL bytes into `count` texts, the missing ones empty and any further
// pieces dropped, so that no text holds a NUL.
inline TextArray texts_of(const std::uint8_t* data, std::size_t size, std::size_t count) {
  TextArray texts(count);
  std::size_t index = 0;
  for (std::size_t i = 0; i < size && index < count; ++i) {
    if (data[i] == 0) {
      ++index;
    } else {
      texts[index].push_back(static_cast<char>(data[i]));
    }
  }
  return texts;
}

inline bool is_ascii_upper(char byte) {
  return byte >= 'A' && byte <= 'Z';
}
