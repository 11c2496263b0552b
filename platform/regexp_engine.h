#pragma once
// The regular-expression engine behind the "VBScript.RegExp" object: PCRE2's 16-bit library in
// its non-UTF mode, so it matches over whatever UTF-16 code units it is handed (NUL characters
// and lone surrogates included) and every offset counts code units.
//
// The dialect is the platform engine's where the two differ: "." matches everything but a line
// feed; "^" and "$" match next to line feeds only with `multiline`, and "$" otherwise only at the
// very end; `ignore_case` folds letters beyond ASCII too, except in a pattern that uses \w, \d,
// \s, \b, their opposites or a POSIX class, where it folds A to Z only (those classes stay
// ASCII); \uXXXX and \xXX escapes, "[^]" for any character, a back reference to a group that
// has not matched matches nothing; an empty match moves the next search on by one code unit; a
// group that took no part in a match has no span.
//
// The engine's work is bounded: one attempt at a starting position may take at most
// `match_limit` steps. An attempt that exceeds it is given up together with the rest of its line,
// and the search goes on after the next line feed, so a hostile line costs a bounded amount of
// work and the matches before and after it are all still found.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RegexpOptions {
  bool ignore_case = false;
  bool multiline = false;
  bool global = false;
  bool use_jit = true;
  std::uint32_t match_limit = 10'000;
};

// The matches of one search over `subject`. Each match has `group_count` + 1 spans (the whole
// match, then the groups in the order of their opening parentheses), each a start and an end
// offset; both are -1 for a group that took no part in the match.
struct RegexpMatches {
  std::shared_ptr<const std::u16string> subject;
  std::size_t group_count = 0;
  std::vector<std::int32_t> offsets;

  std::size_t count() const { return offsets.size() / (2 * (group_count + 1)); }
  std::int32_t start(std::size_t match, std::size_t group = 0) const {
    return offsets[2 * (match * (group_count + 1) + group)];
  }
  std::int32_t end(std::size_t match, std::size_t group = 0) const {
    return offsets[2 * (match * (group_count + 1) + group) + 1];
  }
  // The text of a span; empty for a group that took no part.
  std::u16string_view text(std::size_t match, std::size_t group = 0) const;
};

// Every match of `pattern` in `subject` (only the first unless `global`); nothing when the
// pattern does not compile or the subject is too long to count in 32 bits.
std::optional<RegexpMatches> regexp_execute(std::u16string_view pattern,
                                            const RegexpOptions& options,
                                            std::shared_ptr<const std::u16string> subject);

// `subject` with its matches (only the first unless `global`) replaced by `replacement`, in which
// $1 to $99 stand for a group, $& for the match, $` for what precedes it, $' for what follows it
// and $$ for a dollar sign; any other "$" is itself. Nothing when the pattern does not compile.
std::optional<std::u16string> regexp_replace(std::u16string_view pattern,
                                             const RegexpOptions& options,
                                             std::u16string_view subject,
                                             std::u16string_view replacement);
