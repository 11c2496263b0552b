#pragma once
// The program's value types. This header depends on nothing of the project, so every layer,
// the platform stand-ins included, may use it.

#include <cstdint>
#include <string>
#include <vector>

// A byte string that ends at its first NUL: GBK unless a routine says it holds UTF-8.
// Positions and lengths count bytes; the empty Text is "no text".
using Text = std::string;

// A counted byte sequence that may hold NUL bytes; UTF-16 travels in it as little-endian
// 16-bit units. The empty Bytes is "no data", the answer of every failed operation.
using Bytes = std::vector<std::uint8_t>;

using TextArray = std::vector<Text>;
