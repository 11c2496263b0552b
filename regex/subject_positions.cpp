#include "regex/subject_positions.h"

#include <algorithm>
#include <iterator>

#include "text/code_pages.h"

namespace {

constexpr std::size_t chunk_units = 1024;
// Where no safe cut comes, a chunk is cut at this length all the same.
constexpr std::size_t longest_chunk_units = 16 * chunk_units;

char16_t unit_at(const Bytes& units, std::size_t index) {
  return static_cast<char16_t>(units[2 * index] | units[2 * index + 1] << 8);
}

// The conversion joins a letter and the combining marks after it, and a surrogate pair, into
// one character, so a chunk may end only before a unit that starts a character of its own.
bool starts_own_character(char16_t unit) {
  return unit < 0x300 || (unit >= 0x4E00 && unit < 0xA000) || (unit >= 0xAC00 && unit < 0xD7A4);
}

Text gbk_of_units(const Bytes& units, std::size_t first, std::size_t last) {
  const auto bytes = units.begin() + static_cast<std::ptrdiff_t>(2 * first);
  return utf16_to_gbk(Bytes(bytes, bytes + static_cast<std::ptrdiff_t>(2 * (last - first))));
}

std::size_t units_before_terminator(const Bytes& units) {
  const std::size_t whole_units = units.size() / 2;
  for (std::size_t i = 0; i < whole_units; ++i) {
    if (unit_at(units, i) == 0) return i;
  }
  return whole_units;
}

}  // namespace

SubjectPositions index_subject(const Bytes& units) {
  SubjectPositions positions;
  const std::size_t unit_count = units_before_terminator(units);
  positions.unit_count = unit_count;
  for (std::size_t first = 0; first < unit_count;) {
    std::size_t last = std::min(first + chunk_units, unit_count);
    const std::size_t latest_cut = std::min(first + longest_chunk_units, unit_count);
    while (last < latest_cut && !starts_own_character(unit_at(units, last))) ++last;
    positions.checkpoints.push_back({first, positions.gbk.size()});
    positions.gbk += gbk_of_units(units, first, last);
    first = last;
  }
  return positions;
}

std::size_t gbk_offset(const SubjectPositions& positions, const Bytes& units, std::size_t unit) {
  if (unit >= positions.unit_count) return positions.gbk.size();
  const auto after =
      std::upper_bound(positions.checkpoints.begin(), positions.checkpoints.end(), unit,
                       [](std::size_t wanted, const SubjectPositions::Checkpoint& chunk) {
                         return wanted < chunk.unit;
                       });
  const SubjectPositions::Checkpoint& chunk = *std::prev(after);
  return chunk.byte + gbk_of_units(units, chunk.unit, unit).size();
}
