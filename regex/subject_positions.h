#pragma once
// Where the UTF-16 units of a subject lie in its GBK form. Made once per subject, it answers for
// any unit in time bounded by a chunk, so the positions of every match of a large subject take
// time linear in its size.

#include <cstddef>
#include <vector>

#include "text/types.h"

struct SubjectPositions {
  struct Checkpoint {
    std::size_t unit;
    std::size_t byte;
  };
  // The units before the first zero unit, and their GBK form.
  std::size_t unit_count = 0;
  Text gbk;
  // The first unit of each chunk and where its GBK form begins.
  std::vector<Checkpoint> checkpoints;
};

// `units`: little-endian UTF-16, as gbk_to_utf16 gives it.
SubjectPositions index_subject(const Bytes& units);

// The 0-based offset in `positions.gbk` where unit `unit` of `units` begins; the length of the
// GBK form for a unit at or beyond the first zero unit.
std::size_t gbk_offset(const SubjectPositions& positions, const Bytes& units, std::size_t unit);
