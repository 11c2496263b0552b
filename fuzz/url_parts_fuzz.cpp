// Web address parts: hosts are lower case and ignore the letter case of the address, ports cut
// only what follows a colon, paths are the tail of the address, and the label count keeps the
// labels it says.

#include <climits>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "text/text_search.h"
#include "web/url_parts.h"

namespace {

Text to_upper_ascii(const Text& text) {
  Text upper = text;
  for (char& byte : upper) {
    if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - 32);
  }
  return upper;
}

bool has_upper(const Text& text) {
  for (char byte : text) {
    if (is_ascii_upper(byte)) return true;
  }
  return false;
}

bool ends_with(const Text& text, const Text& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The dots that begin a character, not counting one that is the last byte.
int counted_dots(const Text& host) {
  int dots = 0;
  for (std::size_t i = 0; i < host.size();
       i += static_cast<unsigned char>(host[i]) >= 0x80 ? 2 : 1) {
    if (host[i] == '.' && i + 1 != host.size()) ++dots;
  }
  return dots;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the label count: -2 to 251, INT_MIN or INT_MAX.
  const int level_count = data[0] == 0xFF   ? INT_MAX
                          : data[0] == 0xFE ? INT_MIN
                                            : static_cast<int>(data[0]) - 2;
  const Text address = texts_of(data + 1, size - 1, 1)[0];
  const Text upper_address = to_upper_ascii(address);

  for (bool main_domain_only : {false, true}) {
    for (bool keep_port : {false, true}) {
      for (std::optional<int> count : {std::optional<int>(), std::optional<int>(level_count)}) {
        const Text host = url_host(address, main_domain_only, keep_port, count);
        FUZZ_CHECK(!has_upper(host));
        FUZZ_CHECK(host == url_host(upper_address, main_domain_only, keep_port, count));
        if (keep_port) {
          // Without the port the host is what comes before the first colon of the host with it.
          const Text bare = url_host(address, main_domain_only, false, count);
          const int colon = find_text(host, ":");
          FUZZ_CHECK(bare ==
                     (colon == -1 ? host : host.substr(0, static_cast<std::size_t>(colon) - 1)));
        }
      }
    }
  }

  // Label counting: the host with its port is a tail of the one a higher count keeps, and holds
  // no more labels than counted.
  const int kept = level_count < 0 ? 0 : level_count;
  const Text counted = url_host(address, false, true, level_count);
  FUZZ_CHECK(counted == url_host(address, true, true, level_count == INT_MAX ? INT_MAX : kept + 1));
  if (level_count < INT_MAX) {
    FUZZ_CHECK(ends_with(url_host(address, false, true, kept + 1), counted));
  }
  FUZZ_CHECK(counted_dots(counted) <= static_cast<long long>(kept) + 1);
  FUZZ_CHECK(find_text(counted, "/") == -1);

  const Text host = url_host(address);
  FUZZ_CHECK(find_text(host, "/") == -1 && find_text(host, ":") == -1);

  const int port = url_port(address);
  FUZZ_CHECK(port == url_port(upper_address));
  if (find_text(url_host(address, false, true), ":") == -1) FUZZ_CHECK(port == 80 || port == 443);

  const Text path = url_path(address);
  FUZZ_CHECK(!path.empty() && path[0] == '/');
  FUZZ_CHECK(path == "/" || ends_with(address, path));
  FUZZ_CHECK(url_path(upper_address) == to_upper_ascii(path));
  // The same path as the plain search for the host gives.
  const int host_at = find_text(address, host, 1, true);
  const int slash = find_text(address, "/", host_at == -1 ? 1 : host_at);
  FUZZ_CHECK(path ==
             (slash == -1 ? Text("/") : address.substr(static_cast<std::size_t>(slash) - 1)));
  return 0;
}
