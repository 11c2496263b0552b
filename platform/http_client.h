#pragma once
// The HTTP client service: InternetOpenA, InternetConnectA, HttpOpenRequestA, HttpSendRequestA,
// InternetReadFile, HttpQueryInfoA and InternetCloseHandle, built on libcurl.
//
// As on the platform, the calls are synchronous, a failed call answers a null handle or false,
// and the connection is made when the request is sent. The body streams: the send returns once
// the response has begun to arrive, and each read hands out what has arrived, waiting for more
// only when nothing is left.
//
// On the wire a request carries its verb, its object name (bytes that HTTP does not allow raw in
// a request target are percent-escaped, everything else goes as given), the version, the agent
// as User-Agent, the caller's header lines in their order and the body; beyond those only what
// HTTP/1.1 needs (Host, Content-Length). Nothing is ever served from a cache, and nothing
// survives a request but the cookie store.
//
// The cookie store is one for the whole process, kept in memory and shared by every thread.
// Requests opened without INTERNET_FLAG_NO_COOKIES take their cookies from it and put the
// cookies of their responses into it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

struct InternetHandle;
using HINTERNET = InternetHandle*;

constexpr std::uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr std::uint32_t INTERNET_OPEN_TYPE_PROXY = 3;

constexpr std::uint32_t INTERNET_SERVICE_HTTP = 3;
constexpr int INTERNET_DEFAULT_PORT = 0;  // 80 for http, 443 for a secure request

constexpr std::uint32_t INTERNET_FLAG_RELOAD = 0x80000000;
constexpr std::uint32_t INTERNET_FLAG_SECURE = 0x00800000;
constexpr std::uint32_t INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
constexpr std::uint32_t INTERNET_FLAG_NO_COOKIES = 0x00080000;
constexpr std::uint32_t INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP = 0x00008000;
constexpr std::uint32_t INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;
// Asks the platform to keep the body in a cache file; there is no cache here, so it changes
// nothing.
constexpr std::uint32_t INTERNET_FLAG_NEED_FILE = 0x00000010;

constexpr std::uint32_t HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr std::uint32_t HTTP_QUERY_RAW_HEADERS_CRLF = 22;
constexpr std::uint32_t HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// The service handle. `access_type` is INTERNET_OPEN_TYPE_DIRECT (the environment's proxy
// settings do not count) or INTERNET_OPEN_TYPE_PROXY. With
// INTERNET_OPEN_TYPE_PROXY, `proxy_list` holds entries separated by spaces or ";", each either
// "scheme=host:port" (for that scheme only) or "host:port" (for every scheme); an http request
// goes to its proxy in absolute form, an https request is tunnelled through its proxy. A request
// whose scheme has no entry goes direct. `proxy_bypass` lists hosts reached directly. `flags`
// must be 0: only synchronous use is offered. Answers null when the access type is unknown or a
// proxy access has no usable proxy.
HINTERNET InternetOpenA(const char* agent, std::uint32_t access_type, const char* proxy_list,
                        const char* proxy_bypass, std::uint32_t flags);

// A connection to `server_name` and `server_port` (INTERNET_DEFAULT_PORT: the scheme's port).
// Only INTERNET_SERVICE_HTTP is offered; user name and password are not. Answers null for an
// empty server name or an invalid service handle.
HINTERNET InternetConnectA(HINTERNET internet, const char* server_name, int server_port,
                           const char* user_name, const char* password, std::uint32_t service,
                           std::uint32_t flags, std::uintptr_t context);

// A request. `verb` null means "GET", `version` null means "HTTP/1.1" (also accepted:
// "HTTP/1.0"). `referrer` and `accept_types` (a null-terminated list), when given, become the
// Referer and Accept headers. `flags` are INTERNET_FLAG_ values:
// - SECURE: https, with the system's certificate store and certificate checking on;
// - NO_COOKIES: the process's cookie store neither adds cookies nor keeps new ones;
// - NO_AUTO_REDIRECT: a redirect comes back as it is; otherwise redirects are followed, to the
//   request's own scheme only unless IGNORE_REDIRECT_TO_HTTPS / IGNORE_REDIRECT_TO_HTTP allow the
//   switch to https / http.
HINTERNET HttpOpenRequestA(HINTERNET connect, const char* verb, const char* object_name,
                           const char* version, const char* referrer, const char** accept_types,
                           std::uint32_t flags, std::uintptr_t context);

// Sends the request with `headers` (lines separated by "\r\n"; a length of -1 reads up to the
// NUL) and the body in `optional`. A GET or HEAD without a body carries no Content-Length; any
// other request carries one, 0 for an empty body. Returns once the response body has begun to
// arrive or the response has ended; false when the request failed before that.
bool HttpSendRequestA(HINTERNET request, const char* headers, long headers_length,
                      const void* optional, std::uint32_t optional_length);

// Copies at most `bytes_to_read` bytes of the response body into `buffer` and sets
// `bytes_read`; 0 bytes means the body has ended, or the transfer failed (then the call answers
// false).
bool InternetReadFile(HINTERNET file, void* buffer, std::uint32_t bytes_to_read,
                      std::uint32_t* bytes_read);

// HTTP_QUERY_RAW_HEADERS_CRLF: the status line and every header line of the last response, each
// ended by "\r\n", NUL-terminated. HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER: the length
// the last response declared, as a std::uint32_t. `buffer_length` holds the buffer's size in
// bytes; on success it receives the length written (without the NUL). When the buffer is too
// small, nothing is written, `buffer_length` receives the size needed and the call answers false.
// False too when the response has no such value.
bool HttpQueryInfoA(HINTERNET request, std::uint32_t info_level, void* buffer,
                    std::uint32_t* buffer_length, std::uint32_t* index);

// Closes any handle; a request's transfer ends with it. False for a null handle.
bool InternetCloseHandle(HINTERNET handle);

// Limits of the transport, taken by each request when it is opened. Tests lower them.
struct HttpTransportLimits {
  // A connection that cannot be made within this time fails.
  std::chrono::milliseconds connect_timeout{60'000};
  // A response that sends nothing for this long fails.
  std::chrono::milliseconds receive_timeout{30'000};
  // One request as a whole, redirects included, may take no longer than this; a site that
  // drips its answer would otherwise hold its caller for ever.
  std::chrono::milliseconds request_timeout{120'000};
  // Reading stops after this many body bytes; what was read so far is the body.
  std::size_t max_body_bytes = 64 * 1024 * 1024;
  // Certificates trusted in place of the system's store; empty means the system's store.
  std::string trusted_certificates_file;
};

HttpTransportLimits http_transport_limits();
void set_http_transport_limits(const HttpTransportLimits& limits);
