#include "platform/regexp_engine.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <climits>

namespace {

struct CodeRelease {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextRelease {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextRelease {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataRelease {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackRelease {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeRelease>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextRelease>;

constexpr PCRE2_SIZE jit_stack_start = 32 * 1024;
constexpr PCRE2_SIZE jit_stack_most = 1024 * 1024;

// Unicode case folding in PCRE2 comes with Unicode classes for \w, \d, \s, \b and the POSIX
// classes, where the platform engine keeps those to ASCII; so letters beyond ASCII fold only in
// patterns that use none of them.
bool may_fold_all_letters(std::u16string_view pattern) {
  for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] == u'\\' &&
        std::u16string_view(u"wWdDsSbB").find(pattern[i + 1]) != std::u16string_view::npos) {
      return false;
    }
    if (pattern[i] == u'[' && pattern[i + 1] == u':') return false;
  }
  return true;
}

// `with_attempt_callouts` makes the engine report every step, the start of the attempt included;
// only the search for an attempt that broke the work bound uses it, as it is slow.
Code compile(std::u16string_view pattern, const RegexpOptions& options,
             bool with_attempt_callouts) {
  std::unique_ptr<pcre2_compile_context, CompileContextRelease> context(
      pcre2_compile_context_create(nullptr));
  if (!context) return nullptr;
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
  std::uint32_t flags = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF |
                        PCRE2_ALT_CIRCUMFLEX | PCRE2_NEVER_UTF;
  if (options.ignore_case) flags |= PCRE2_CASELESS;
  if (options.ignore_case && may_fold_all_letters(pattern)) flags |= PCRE2_UCP;
  flags |= options.multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  if (with_attempt_callouts) flags |= PCRE2_AUTO_CALLOUT;
  int error = 0;
  PCRE2_SIZE error_offset = 0;
  Code code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                          &error, &error_offset, context.get()));
  // Without the JIT (not built for this machine, or out of memory) the interpreter matches alike.
  if (code && options.use_jit) pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
  return code;
}

bool broke_work_bound(int result) {
  return result == PCRE2_ERROR_MATCHLIMIT || result == PCRE2_ERROR_DEPTHLIMIT ||
         result == PCRE2_ERROR_HEAPLIMIT || result == PCRE2_ERROR_JIT_STACKLIMIT;
}

int note_attempt_start(pcre2_callout_block* block, void* attempt_start) {
  *static_cast<PCRE2_SIZE*>(attempt_start) = block->start_match;
  return 0;
}

// Calls `on_match(ovector, group_count)` for each match, in order. Answers the number of groups
// of the pattern, nothing when it does not compile.
template <typename OnMatch>
std::optional<std::size_t> for_each_match(std::u16string_view pattern, const RegexpOptions& options,
                                          std::u16string_view subject, OnMatch on_match) {
  const Code code = compile(pattern, options, false);
  if (!code) return std::nullopt;
  std::uint32_t group_count = 0;
  pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &group_count);

  std::unique_ptr<pcre2_match_data, MatchDataRelease> match_data(
      pcre2_match_data_create_from_pattern(code.get(), nullptr));
  MatchContext context(pcre2_match_context_create(nullptr));
  std::unique_ptr<pcre2_jit_stack, JitStackRelease> jit_stack(
      pcre2_jit_stack_create(jit_stack_start, jit_stack_most, nullptr));
  if (!match_data || !context) return std::nullopt;
  pcre2_set_match_limit(context.get(), options.match_limit);
  if (jit_stack) pcre2_jit_stack_assign(context.get(), nullptr, jit_stack.get());
  const std::uint32_t match_flags = options.use_jit ? 0 : PCRE2_NO_JIT;

  // Made on the first attempt that breaks the bound: the same pattern, reporting where each of
  // its attempts starts, so that the offending attempt can be told from those that failed fast.
  Code attempt_finder;
  MatchContext attempt_finder_context;
  PCRE2_SIZE attempt_start = 0;

  const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
  const PCRE2_SIZE length = subject.size();
  PCRE2_SIZE start = 0;
  while (start <= length) {
    int result =
        pcre2_match(code.get(), units, length, start, match_flags, match_data.get(), context.get());
    if (broke_work_bound(result)) {
      if (!attempt_finder) {
        attempt_finder = compile(pattern, options, true);
        attempt_finder_context.reset(pcre2_match_context_copy(context.get()));
        if (attempt_finder_context) {
          pcre2_set_callout(attempt_finder_context.get(), note_attempt_start, &attempt_start);
        }
      }
      attempt_start = start;
      if (attempt_finder && attempt_finder_context) {
        result = pcre2_match(attempt_finder.get(), units, length, start, match_flags,
                             match_data.get(), attempt_finder_context.get());
      }
      if (broke_work_bound(result)) {
        const std::size_t line_feed = subject.find(u'\n', attempt_start);
        if (line_feed == std::u16string_view::npos) break;
        start = line_feed + 1;
        continue;
      }
    }
    // No further match, or a failure of the engine: the search ends with what it has found.
    if (result < 0) break;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match_data.get());
    on_match(ovector, group_count);
    if (!options.global) break;
    start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
  }
  return group_count;
}

std::int32_t offset_or_none(PCRE2_SIZE offset) {
  return offset == PCRE2_UNSET ? -1 : static_cast<std::int32_t>(offset);
}

std::u16string_view span_text(std::u16string_view subject, const PCRE2_SIZE* ovector,
                              std::size_t group) {
  const PCRE2_SIZE start = ovector[2 * group];
  const PCRE2_SIZE end = ovector[2 * group + 1];
  if (start == PCRE2_UNSET || end < start) return {};
  return subject.substr(start, end - start);
}

struct Substitution {
  std::u16string_view text;
  std::size_t length;  // of what follows the "$" in the replacement
};

// What a "$" followed by `replacement[at]` stands for; nothing when the "$" is itself.
std::optional<Substitution> substitution(std::u16string_view replacement, std::size_t at,
                                         std::u16string_view subject, const PCRE2_SIZE* ovector,
                                         std::size_t group_count) {
  if (at >= replacement.size()) return std::nullopt;
  const char16_t code = replacement[at];
  if (code == u'$') return Substitution{u"$", 1};
  if (code == u'&') return Substitution{span_text(subject, ovector, 0), 1};
  if (code == u'`') return Substitution{subject.substr(0, ovector[0]), 1};
  if (code == u'\'') {
    return Substitution{ovector[1] <= subject.size() ? subject.substr(ovector[1]) : u"", 1};
  }
  const auto digit = [&](std::size_t index) -> int {
    if (index >= replacement.size()) return -1;
    const char16_t unit = replacement[index];
    return unit >= u'0' && unit <= u'9' ? unit - u'0' : -1;
  };
  const int first = digit(at);
  if (first < 0) return std::nullopt;
  const int second = digit(at + 1);
  if (second >= 0) {
    const std::size_t two_digit_group = static_cast<std::size_t>(first * 10 + second);
    if (two_digit_group >= 1 && two_digit_group <= group_count) {
      return Substitution{span_text(subject, ovector, two_digit_group), 2};
    }
  }
  if (first >= 1 && static_cast<std::size_t>(first) <= group_count) {
    return Substitution{span_text(subject, ovector, static_cast<std::size_t>(first)), 1};
  }
  return std::nullopt;
}

}  // namespace

std::u16string_view RegexpMatches::text(std::size_t match, std::size_t group) const {
  const std::int32_t first = start(match, group);
  const std::int32_t last = end(match, group);
  if (first < 0 || last < first) return {};
  return std::u16string_view(*subject).substr(static_cast<std::size_t>(first),
                                              static_cast<std::size_t>(last - first));
}

std::optional<RegexpMatches> regexp_execute(std::u16string_view pattern,
                                            const RegexpOptions& options,
                                            std::shared_ptr<const std::u16string> subject) {
  if (!subject || subject->size() >= static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
  RegexpMatches matches;
  const auto group_count = for_each_match(pattern, options, *subject,
                                          [&](const PCRE2_SIZE* ovector, std::size_t groups) {
                                            for (std::size_t i = 0; i < 2 * (groups + 1); ++i) {
                                              matches.offsets.push_back(offset_or_none(ovector[i]));
                                            }
                                          });
  if (!group_count) return std::nullopt;
  matches.group_count = *group_count;
  matches.subject = std::move(subject);
  return matches;
}

std::optional<std::u16string> regexp_replace(std::u16string_view pattern,
                                             const RegexpOptions& options,
                                             std::u16string_view subject,
                                             std::u16string_view replacement) {
  std::u16string result;
  std::size_t copied = 0;
  const auto compiled =
      for_each_match(pattern, options, subject, [&](const PCRE2_SIZE* ovector, std::size_t groups) {
        const std::size_t match_start = std::max<std::size_t>(ovector[0], copied);
        result.append(subject.substr(copied, match_start - copied));
        for (std::size_t at = 0; at < replacement.size();) {
          if (replacement[at] == u'$') {
            if (auto substituted = substitution(replacement, at + 1, subject, ovector, groups)) {
              result.append(substituted->text);
              at += 1 + substituted->length;
              continue;
            }
          }
          result.push_back(replacement[at]);
          ++at;
        }
        copied = std::max<std::size_t>(ovector[1], copied);
      });
  if (!compiled) return std::nullopt;
  result.append(subject.substr(std::min(copied, subject.size())));
  return result;
}
