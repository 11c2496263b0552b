#include "web/url_parts.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "text/text_between.h"
#include "text/text_search.h"

namespace {

const Text plain_scheme = "http://";
const Text secure_scheme = "https://";

bool starts_with_lead_byte(const Text& text, std::size_t index) {
  return static_cast<unsigned char>(text[index]) >= 0x80;
}

// Removes every occurrence of `marker` that begins where a character begins, left to right.
Text remove_every(const Text& text, const Text& marker) {
  Text kept;
  kept.reserve(text.size());
  int from = 1;
  for (;;) {
    int found = find_text(text, marker, from);
    if (found == -1) break;
    kept.append(text, static_cast<std::size_t>(from) - 1, static_cast<std::size_t>(found - from));
    from = found + static_cast<int>(marker.size());
  }
  if (from <= static_cast<int>(text.size())) kept.append(text, static_cast<std::size_t>(from) - 1);
  return kept;
}

Text without_port(const Text& host, bool keep_port) {
  if (keep_port) return host;
  int colon = find_text(host, ":");
  if (colon == -1) return host;
  return host.substr(0, static_cast<std::size_t>(colon) - 1);
}

Text last_two_labels(const Text& host) {
  TextArray labels = split_text(host, ".");
  if (labels.size() <= 1) return host;
  return labels[labels.size() - 2] + "." + labels.back();
}

Text ordinary_host(const Text& address, bool main_domain_only, bool keep_port) {
  Text lower = to_lower_ascii(address);
  if (lower.empty() || lower.back() != '/') lower += '/';
  Text host;
  if (lower.compare(0, secure_scheme.size(), secure_scheme) == 0) {
    host = text_between(lower, secure_scheme, "/");
  } else {
    if (find_text(lower, plain_scheme) == -1) lower.insert(0, plain_scheme);
    host = text_between(lower, plain_scheme, "/");
  }
  if (main_domain_only) host = last_two_labels(host);
  return without_port(host, keep_port);
}

Text counted_labels_host(const Text& address, bool main_domain_only, bool keep_port,
                         int level_count) {
  Text host = remove_every(remove_every(to_lower_ascii(address), plain_scheme), secure_scheme);
  int slash = find_text(host, "/");
  if (slash != -1) host.resize(static_cast<std::size_t>(slash) - 1);

  // Dots that begin a character, except one that is the very last byte.
  std::vector<std::size_t> dots;
  for (std::size_t i = 0; i < host.size(); i += starts_with_lead_byte(host, i) ? 2 : 1) {
    if (host[i] == '.' && i + 1 != host.size()) dots.push_back(i);
  }
  // Widened so that the largest counts cannot overflow.
  std::int64_t kept_labels =
      static_cast<std::int64_t>(std::max(level_count, 0)) + (main_domain_only ? 1 : 2);
  if (kept_labels <= static_cast<std::int64_t>(dots.size())) {
    host.erase(0, dots[dots.size() - static_cast<std::size_t>(kept_labels)] + 1);
  }
  return without_port(host, keep_port);
}

bool is_ascii_white_space(char byte) {
  return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// Whether a two-byte character with this lead byte and a second byte in the range starts here.
bool is_character_in(const Text& text, std::size_t index, unsigned char lead,
                     unsigned char second_low, unsigned char second_high) {
  if (index + 1 >= text.size()) return false;
  auto second = static_cast<unsigned char>(text[index + 1]);
  return static_cast<unsigned char>(text[index]) == lead && second >= second_low &&
         second <= second_high;
}

// Reads a decimal integer as people write one: white space first (ASCII, and the full-width
// space A1 A1), an optional sign, then digits, where the full-width digits A3 B0 to A3 B9 count
// as digits, up to the first other character. No digits give 0; a number beyond the range of
// int stops at its nearest end.
int read_decimal(const Text& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (is_ascii_white_space(text[i])) {
      i += 1;
    } else if (is_character_in(text, i, 0xA1, 0xA1, 0xA1)) {
      i += 2;
    } else {
      break;
    }
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    i += 1;
  }
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
  std::int64_t value = 0;
  while (i < text.size()) {
    int digit;
    if (text[i] >= '0' && text[i] <= '9') {
      digit = text[i] - '0';
      i += 1;
    } else if (is_character_in(text, i, 0xA3, 0xB0, 0xB9)) {
      digit = static_cast<unsigned char>(text[i + 1]) - 0xB0;
      i += 2;
    } else {
      break;
    }
    value = std::min(value * 10 + digit, limit);
  }
  return static_cast<int>(negative ? -value : value);
}

// The first position, 1-based, where `lower_marker` occurs in `text` with the ASCII letters of
// `text` folded, counting only positions where a character begins; -1 when there is none.
// Linear in the length of both, so a long host inside a long address cannot stall the search.
int find_folded(const Text& text, const Text& lower_marker) {
  const std::size_t length = lower_marker.size();
  if (length == 0) return text.empty() ? -1 : 1;
  std::vector<std::size_t> border(length, 0);
  for (std::size_t i = 1, k = 0; i < length; ++i) {
    while (k > 0 && lower_marker[i] != lower_marker[k]) k = border[k - 1];
    if (lower_marker[i] == lower_marker[k]) ++k;
    border[i] = k;
  }
  std::vector<bool> character_start(text.size(), false);
  for (std::size_t i = 0; i < text.size(); i += starts_with_lead_byte(text, i) ? 2 : 1) {
    character_start[i] = true;
  }
  for (std::size_t i = 0, k = 0; i < text.size(); ++i) {
    char byte = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    while (k > 0 && byte != lower_marker[k]) k = border[k - 1];
    if (byte == lower_marker[k]) ++k;
    if (k == length) {
      std::size_t start = i + 1 - length;
      if (character_start[start]) return static_cast<int>(start + 1);
      k = border[k - 1];
    }
  }
  return -1;
}

}  // namespace

Text url_host(const Text& address, bool main_domain_only, bool keep_port,
              std::optional<int> level_count) {
  if (level_count) return counted_labels_host(address, main_domain_only, keep_port, *level_count);
  return ordinary_host(address, main_domain_only, keep_port);
}

int url_port(const Text& address) {
  Text host_and_port = url_host(address, false, true);
  int last_colon = -1;
  for (int found = find_text(host_and_port, ":"); found != -1;
       found = find_text(host_and_port, ":", found + 1)) {
    last_colon = found;
  }
  if (last_colon != -1)
    return read_decimal(host_and_port.substr(static_cast<std::size_t>(last_colon)));
  return to_lower_ascii(address.substr(0, 5)) == "https" ? 443 : 80;
}

Text url_path(const Text& address) {
  int host_start = find_folded(address, url_host(address));
  int slash = find_text(address, "/", host_start == -1 ? 1 : host_start);
  if (slash == -1) return "/";
  return address.substr(static_cast<std::size_t>(slash) - 1);
}
