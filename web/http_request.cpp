#include "web/http_request.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/http_client.h"
#include "web/cookies.h"
#include "web/request_text.h"
#include "web/url_parts.h"

namespace {

constexpr std::uint32_t piece_size = 1024;

HINTERNET open_service(const Text& agent, const Text& proxy, bool secure) {
  if (proxy.empty()) {
    return InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  }
  return InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PROXY,
                       proxy_list_for(proxy, secure).c_str(), "", 0);
}

// A large body is written once from front to back. Taking its memory at once, on huge pages
// where it can, saves the page fault per 4 KiB that is most of the time a page of many MiB costs.
void prepare_memory(void* data, std::size_t size) {
  constexpr std::uintptr_t huge_page = 2 * 1024 * 1024;
  constexpr std::uintptr_t page = 4096;
  auto start = reinterpret_cast<std::uintptr_t>(data);
  std::uintptr_t first = (start + huge_page - 1) & ~(huge_page - 1);
  std::uintptr_t last = (start + size) & ~(huge_page - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  std::uintptr_t page_start = start & ~(page - 1);
  std::uintptr_t page_end = (start + size + page - 1) & ~(page - 1);
  madvise(reinterpret_cast<void*>(page_start), page_end - page_start, MADV_POPULATE_WRITE);
}

// Room for the body the response declares, so that a large body is not copied as it grows.
// Never more than the transport reads at most.
template <typename Body>
void reserve_declared_length(HINTERNET request, Body& body) {
  std::uint32_t declared = 0;
  std::uint32_t size = sizeof declared;
  if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &declared, &size,
                     nullptr)) {
    body.reserve(std::min<std::size_t>(declared, http_transport_limits().max_body_bytes));
    prepare_memory(body.data(), body.capacity());
  }
}

template <typename Body>
Body read_body(HINTERNET request) {
  Body body;
  reserve_declared_length(request, body);
  while (true) {
    std::array<std::uint8_t, piece_size> piece{};
    std::uint32_t count = 0;
    InternetReadFile(request, piece.data(), piece_size, &count);
    if (count == 0) break;
    body.insert(body.end(), piece.data(), piece.data() + count);
  }
  return body;
}

// The whole header block of the last response, however long; empty when none came.
Text raw_response_headers(HINTERNET request) {
  Text block(5000, ' ');
  std::uint32_t length = static_cast<std::uint32_t>(block.size());
  if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &length, nullptr)) {
    if (length <= block.size()) return Text();
    block.assign(length, ' ');
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &length, nullptr)) {
      return Text();
    }
  }
  return Text(block.c_str());  // a header block, like any text, ends at a NUL
}

// The request itself. The body is collected as Bytes for http_request and as Text for
// fetch_text, which thus needs no second copy of a large page.
template <typename Body>
Body perform_request(const Text& address, int method, const Text& post_text, Text* cookies,
                     Text* new_cookies, Text* headers, Text* response_headers, bool no_redirect,
                     Bytes* post_bytes, const Text& proxy) {
  Text own_new_cookies;
  Text own_headers;
  Text own_response_headers;
  Bytes own_post_bytes;
  Text& cookies_set = new_cookies != nullptr ? *new_cookies : own_new_cookies;
  Text& header_text = headers != nullptr ? *headers : own_headers;
  Text& response_header_text =
      response_headers != nullptr ? *response_headers : own_response_headers;
  Bytes& body_to_send = post_bytes != nullptr ? *post_bytes : own_post_bytes;

  const Text verb = request_verb(method);
  const bool secure = is_secure_address(address);
  const Text agent = user_agent_for(header_text);

  HINTERNET service = open_service(agent, proxy, secure);
  if (service == nullptr) return Body();
  HINTERNET connection = InternetConnectA(service, url_host(address).c_str(), url_port(address),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (connection == nullptr) {
    InternetCloseHandle(service);
    return Body();
  }
  HINTERNET request =
      HttpOpenRequestA(connection, verb.c_str(), url_path(address).c_str(), "HTTP/1.1", nullptr,
                       nullptr, request_flags(cookies != nullptr, no_redirect, secure), 0);
  if (request == nullptr) {
    InternetCloseHandle(connection);
    InternetCloseHandle(service);
    return Body();
  }

  header_text = completed_header_text(header_text, address, cookies != nullptr ? *cookies : Text());
  if (verb == "GET") {
    HttpSendRequestA(request, header_text.data(), static_cast<long>(header_text.size()), nullptr,
                     0);
  } else {
    if (body_to_send.empty()) body_to_send.assign(post_text.begin(), post_text.end());
    HttpSendRequestA(request, header_text.data(), static_cast<long>(header_text.size()),
                     body_to_send.data(), static_cast<std::uint32_t>(body_to_send.size()));
  }
  Body body = read_body<Body>(request);
  response_header_text = with_uniform_set_cookie_names(raw_response_headers(request));

  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(service);

  cookies_set = cookies_set_by(response_header_text);
  if (cookies != nullptr) merge_cookies(*cookies, cookies_set);
  return body;
}

}  // namespace

Bytes http_request(const Text& address, int method, const Text& post_text, Text* cookies,
                   Text* new_cookies, Text* headers, Text* response_headers, bool no_redirect,
                   Bytes* post_bytes, const Text& proxy) {
  return perform_request<Bytes>(address, method, post_text, cookies, new_cookies, headers,
                                response_headers, no_redirect, post_bytes, proxy);
}

Text fetch_text(const Text& address) {
  return text_up_to_nul(perform_request<Text>(address, 0, Text(), nullptr, nullptr, nullptr,
                                              nullptr, false, nullptr, Text()));
}
