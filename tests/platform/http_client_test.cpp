#include "platform/http_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/loopback_http_server.h"

namespace {

// One GET of `object_name` on the server through the service's calls; answers the body and,
// through `sizes`, the count of every read.
std::string fetch_object(const LoopbackHttpServer& server, const char* object_name,
                         std::vector<std::uint32_t>* sizes = nullptr,
                         std::uint32_t read_size = 1024) {
  HINTERNET service = InternetOpenA("agent", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(service, "127.0.0.1", server.port(), nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestA(connection, "GET", object_name, "HTTP/1.1", nullptr, nullptr,
                                       INTERNET_FLAG_RELOAD, 0);
  EXPECT_NE(request, nullptr);
  HttpSendRequestA(request, "", 0, nullptr, 0);
  std::string body;
  std::vector<char> buffer(read_size);
  std::uint32_t count = 0;
  while (InternetReadFile(request, buffer.data(), read_size, &count) && count > 0) {
    body.append(buffer.data(), count);
    if (sizes != nullptr) sizes->push_back(count);
  }
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(service);
  return body;
}

TEST(HttpClient, EscapesWhatARequestTargetMustNotHoldRaw) {
  struct Case {
    const char* object_name;
    const char* request_line;
  };
  const Case cases[] = {
      {"/a b/c", "GET /a%20b/c HTTP/1.1"},
      {"/ok%20already?q=1&r=a/b", "GET /ok%20already?q=1&r=a/b HTTP/1.1"},
      {"/\xD6\xD0\xCE\xC4", "GET /%D6%D0%CE%C4 HTTP/1.1"},
      {"/tab\there\x7f", "GET /tab%09here%7F HTTP/1.1"},
      {"/50%off%2", "GET /50%25off%252 HTTP/1.1"},
      {"/x#frag\"<>", "GET /x%23frag%22%3C%3E HTTP/1.1"},
      {"/keep:@!$&'()*+,;=~-._", "GET /keep:@!$&'()*+,;=~-._ HTTP/1.1"},
      {"", "GET / HTTP/1.1"},
  };
  LoopbackHttpServer server;
  for (const Case& test : cases) fetch_object(server, test.object_name);
  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(requests[i].request_line(), cases[i].request_line) << cases[i].object_name;
  }
}

TEST(HttpClient, ReadsHandOutNoMoreThanAskedAndTheWholeBody) {
  std::string body(100'000, 'x');
  for (std::size_t i = 0; i < body.size(); i += 7) body[i] = static_cast<char>('a' + i % 26);
  LoopbackHttpServer server(answer_with(http_response(200, {}, body)));
  std::vector<std::uint32_t> sizes;
  EXPECT_EQ(fetch_object(server, "/", &sizes, 1024), body);
  for (std::uint32_t size : sizes) EXPECT_LE(size, 1024u);
}

TEST(HttpClient, HeaderQueryAsksForALargerBufferWhenTheBlockDoesNotFit) {
  LoopbackHttpServer server(answer_with(http_response(200, {"X-Long: " + std::string(6000, 'v')})));
  HINTERNET service = InternetOpenA("agent", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(service, "127.0.0.1", server.port(), nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestA(connection, "GET", "/", nullptr, nullptr, nullptr, 0, 0);
  HttpSendRequestA(request, nullptr, 0, nullptr, 0);

  std::string small(5000, ' ');
  std::uint32_t length = 5000;
  EXPECT_FALSE(
      HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, small.data(), &length, nullptr));
  EXPECT_EQ(small, std::string(5000, ' '));
  std::string expected =
      "HTTP/1.1 200 Answer\r\nX-Long: " + std::string(6000, 'v') + "\r\nContent-Length: 0\r\n";
  EXPECT_EQ(length, expected.size() + 1);

  std::string fitting(length, ' ');
  EXPECT_TRUE(
      HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, fitting.data(), &length, nullptr));
  EXPECT_EQ(fitting.c_str(), expected);
  EXPECT_EQ(length, expected.size());
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(service);
}

// One request with the given service and opening, read to its end.
void request_through(HINTERNET service, int port, const char* version, const char* referrer,
                     const char** accept_types) {
  HINTERNET connection =
      InternetConnectA(service, "127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request =
      HttpOpenRequestA(connection, "GET", "/o", version, referrer, accept_types, 0, 0);
  HttpSendRequestA(request, "X-Own: 1", -1, nullptr, 0);
  char buffer[1024];
  std::uint32_t count = 0;
  while (InternetReadFile(request, buffer, sizeof buffer, &count) && count > 0) {
  }
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(service);
}

TEST(HttpClient, OpeningOptionsReachTheWire) {
  LoopbackHttpServer server;
  const char* accept_types[] = {"text/html", "text/plain", nullptr};
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port());

  request_through(InternetOpenA("A\r\nInjected: 1", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0),
                  server.port(), "HTTP/1.0", "http://r.example/", accept_types);
  // A proxy that names only another scheme, or is bypassed for the host, leaves it direct.
  request_through(InternetOpenA("B", INTERNET_OPEN_TYPE_PROXY, "https=127.0.0.1:9", "", 0),
                  server.port(), nullptr, nullptr, nullptr);
  request_through(InternetOpenA("C", INTERNET_OPEN_TYPE_PROXY, "127.0.0.1:9", "127.0.0.1", 0),
                  server.port(), nullptr, nullptr, nullptr);

  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].request_line(), "GET /o HTTP/1.0");
  EXPECT_EQ(requests[0].header_text(), host +
                                           "\r\nUser-Agent: A\r\nReferer: http://r.example/"
                                           "\r\nAccept: text/html, text/plain\r\nX-Own: 1");
  EXPECT_EQ(requests[1].header_text(), host + "\r\nUser-Agent: B\r\nX-Own: 1");
  EXPECT_EQ(requests[2].header_text(), host + "\r\nUser-Agent: C\r\nX-Own: 1");
}

TEST(HttpClient, RefusesHandlesItCannotServe) {
  EXPECT_EQ(InternetOpenA("a", 2, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(InternetOpenA("a", INTERNET_OPEN_TYPE_PROXY, "", "", 0), nullptr);
  EXPECT_EQ(InternetOpenA("a", INTERNET_OPEN_TYPE_PROXY, "http=", "", 0), nullptr);
  HINTERNET service = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(InternetConnectA(service, "", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
            nullptr);
  EXPECT_EQ(HttpOpenRequestA(service, "GET", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_FALSE(InternetCloseHandle(nullptr));
  EXPECT_TRUE(InternetCloseHandle(service));
}

}  // namespace
