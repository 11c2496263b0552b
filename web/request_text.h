#pragma once
// What an HTTP request sends and what its response yields, worked out from text alone, so that
// the request routine only carries values to the HTTP client service and back.

#include <cstdint>

#include "text/types.h"

// "GET", "POST" or "HEAD" for the method 0, 1 or 2; any other method is a GET.
Text request_verb(int method);

// True when the first five bytes of `address`, lower-cased, are "https".
bool is_secure_address(const Text& address);

// The agent named by a "User-Agent:" line of the caller's header text (letter case ignored when
// looking for the line), else the default browser agent. A line without "\r\n" behind it still
// yields its name: then the agent is what follows the first ":" of the whole header text.
Text user_agent_for(const Text& headers);

// The service's request flags: always reload and need-file; no-cookies when the caller supplies
// cookies; no-auto-redirect on request; secure, or else following a redirect to https.
std::uint32_t request_flags(bool cookies_supplied, bool no_redirect, bool secure);

// The service's proxy list for `proxy`: an https request tunnels through the proxy itself, an
// http request names it for http alone.
Text proxy_list_for(const Text& proxy, bool secure);

// The caller's header text completed with the defaults its names lack (exact case, anywhere in
// the text): Accept, Referer (the address), Accept-Language and Content-Type, then a Cookie line
// whenever `cookies` is not empty. Nothing of the caller's text moves; additions go to the end.
Text completed_header_text(const Text& headers, const Text& address, const Text& cookies);

// Spells every "Set-Cookie", whatever its letter case, as "Set-Cookie".
Text with_uniform_set_cookie_names(const Text& response_headers);

// The "name=value" of every Set-Cookie line, attributes dropped, joined by "; ".
Text cookies_set_by(const Text& response_headers);

// The bytes of `body` up to its first NUL, or all of them.
Text text_up_to_nul(Text body);
