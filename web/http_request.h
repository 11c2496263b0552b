#pragma once
// One HTTP request through the HTTP client service, and the everyday GET on top of it.

#include "text/types.h"

// Performs one request to `address` and answers the response body; empty when the request
// cannot be opened or the response has no body. Every call opens and closes its own handles.
//
// The parameters after `address` are optional. A pointer left null is an empty variable of the
// routine's own, and what would be written into it is dropped; for `cookies` alone null also
// means "not supplied", which differs from an empty text:
// - method: 0 GET, 1 POST, 2 HEAD; any other value counts as 0.
// - post_text: the request body as text; used when `post_bytes` is empty and the method is not
//   GET.
// - cookies (in and out): sent in a Cookie header when not empty. Supplying it at all, even
//   empty, keeps the request out of the process's cookie store, and the response's cookies are
//   merged into it.
// - new_cookies (out): the cookies the response sets, "name=value" items joined by "; ".
// - headers (in and out): extra request header lines, "\r\n" between lines; once the request is
//   open it receives the header text as sent, completed with the default headers.
// - response_headers (out): the status line and header lines of the last response, each ended
//   by "\r\n", every Set-Cookie header name spelled "Set-Cookie".
// - no_redirect: a redirect comes back as it is instead of being followed.
// - post_bytes (in and out): the request body as bytes; wins over `post_text` when not empty.
//   When it is empty and the method is not GET, it receives the bytes of `post_text`.
// - proxy: "host:port" of a proxy; empty means a direct connection.
Bytes http_request(const Text& address, int method = 0, const Text& post_text = Text(),
                   Text* cookies = nullptr, Text* new_cookies = nullptr, Text* headers = nullptr,
                   Text* response_headers = nullptr, bool no_redirect = false,
                   Bytes* post_bytes = nullptr, const Text& proxy = Text());

// GET of `address` with every option left out; the body's bytes up to its first NUL, unchanged.
// Every failure gives the empty text.
Text fetch_text(const Text& address);

// The bytes after the first ":" up to the end, spaces trimmed at both ends; empty when `text`
// has no ":".
Text value_after_colon(const Text& text);
