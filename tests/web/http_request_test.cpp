#include "web/http_request.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/http_client.h"
#include "tests/support/loopback_http_server.h"

namespace {

using namespace std::chrono_literals;

const Text default_agent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

Bytes bytes_of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::string text_of(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// The header text every request carries when the caller gives none, for `address`.
std::string default_header_text(const std::string& address) {
  return "Accept: */*\r\nReferer: " + address +
         "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
}

std::string host_line(const LoopbackHttpServer& server) {
  return "Host: 127.0.0.1:" + std::to_string(server.port());
}

int count_of(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Restores the transport's limits after each test that lowers them.
class HttpRequest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = http_transport_limits(); }
  void TearDown() override { set_http_transport_limits(saved_); }

  static void lower_limits(const std::function<void(HttpTransportLimits&)>& change) {
    HttpTransportLimits limits = http_transport_limits();
    change(limits);
    set_http_transport_limits(limits);
  }

  // Makes the client trust `identity` in place of the system's store.
  void trust(const TlsIdentity& identity) {
    std::filesystem::path file = std::filesystem::path(::testing::TempDir()) /
                                 ("loopback-" + std::to_string(::getpid()) + ".pem");
    std::ofstream(file) << identity.certificate_pem;
    lower_limits([&](HttpTransportLimits& limits) { limits.trusted_certificates_file = file; });
  }

 private:
  HttpTransportLimits saved_;
};

TEST_F(HttpRequest, FetchTextSendsExactlyTheDefaultRequestOverHttpAndHttps) {
  TlsIdentity identity = make_loopback_tls_identity();
  trust(identity);
  LoopbackHttpServer plain(answer_with(http_response(200, {}, "page")));
  LoopbackHttpServer secure(answer_with(http_response(200, {}, "page")), &identity);

  for (const LoopbackHttpServer* server : {&plain, &secure}) {
    const std::string address = server->base_address() + "/s/%E6%AF%92/1/?x=a b";
    EXPECT_EQ(fetch_text(address), "page") << address;

    std::vector<RecordedRequest> requests = server->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request_line(), "GET /s/%E6%AF%92/1/?x=a%20b HTTP/1.1");
    EXPECT_EQ(requests[0].header_text(), host_line(*server) + "\r\nUser-Agent: " + default_agent +
                                             "\r\n" + default_header_text(address));
    EXPECT_EQ(requests[0].body, "");
  }
}

TEST_F(HttpRequest, TlsChecksCertificatesAgainstTheSystemStore) {
  TlsIdentity identity = make_loopback_tls_identity();
  LoopbackHttpServer server(answer_with(http_response(200, {}, "secure page")), &identity);

  EXPECT_EQ(fetch_text(server.base_address() + "/"), "");
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(HttpRequest, HttpsGoesToPort443ThroughTheProxyItself) {
  LoopbackHttpServer proxy(answer_with(http_response(403)));
  Text headers;

  Bytes body = http_request("https://127.0.0.1/x", 0, "", nullptr, nullptr, &headers, nullptr,
                            false, nullptr, "127.0.0.1:" + std::to_string(proxy.port()));

  EXPECT_TRUE(body.empty());
  std::vector<RecordedRequest> requests = proxy.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].request_line(), "CONNECT 127.0.0.1:443 HTTP/1.1");
  EXPECT_EQ(headers, default_header_text("https://127.0.0.1/x"));
}

TEST_F(HttpRequest, PlainRequestsReachTheProxyInAbsoluteForm) {
  LoopbackHttpServer target;
  LoopbackHttpServer proxy(answer_with(http_response(200, {}, "from proxy")));
  const std::string address = target.base_address() + "/p?q=1";

  Bytes body = http_request(address, 0, "", nullptr, nullptr, nullptr, nullptr, false, nullptr,
                            "127.0.0.1:" + std::to_string(proxy.port()));

  EXPECT_EQ(text_of(body), "from proxy");
  EXPECT_TRUE(target.requests().empty());
  std::vector<RecordedRequest> requests = proxy.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].request_line(), "GET " + address + " HTTP/1.1");
  EXPECT_EQ(requests[0].header_text(), host_line(target) + "\r\nUser-Agent: " + default_agent +
                                           "\r\n" + default_header_text(address));
}

TEST_F(HttpRequest, MethodsOutsideTheTableSendGet) {
  LoopbackHttpServer server;
  for (int method : {3, -1}) {
    http_request(server.base_address() + "/", method, "ignored");
  }
  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const RecordedRequest& request : requests) {
    EXPECT_EQ(request.request_line(), "GET / HTTP/1.1");
    EXPECT_EQ(request.body, "");
    EXPECT_EQ(count_of(request.head, "Content-Length"), 0);
  }
}

TEST_F(HttpRequest, UserAgentLineNamesTheAgentAndIsSentAmongTheHeaders) {
  LoopbackHttpServer server;
  const std::string address = server.base_address() + "/ua";
  Text headers = "User-Agent: Tester/3.1";

  http_request(address, 0, "", nullptr, nullptr, &headers);

  EXPECT_EQ(headers, "User-Agent: Tester/3.1\r\n" + default_header_text(address));
  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].header_text(), host_line(server) + "\r\n" + headers);
}

TEST_F(HttpRequest, AcceptLinesAreAddedOnlyWhenTheExactNameIsMissing) {
  LoopbackHttpServer server;
  const std::string address = server.base_address() + "/accept";
  Text given = "Accept: text/html";
  Text lower_case = "accept: text/html";

  http_request(address, 0, "", nullptr, nullptr, &given);
  http_request(address, 0, "", nullptr, nullptr, &lower_case);

  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(count_of(requests[0].head, "ccept: "), 1);
  EXPECT_EQ(count_of(requests[0].head, "Accept: text/html\r\n"), 1);
  EXPECT_EQ(count_of(requests[1].head, "\r\naccept: text/html\r\nAccept: */*\r\n"), 1);
}

TEST_F(HttpRequest, PostAndHeadSendTheirBody) {
  LoopbackHttpServer server(answer_with(http_response(200, {}, "done")));
  const std::string address = server.base_address() + "/form";

  Bytes post_bytes;
  Bytes answer =
      http_request(address, 1, "k=v&x=y", nullptr, nullptr, nullptr, nullptr, false, &post_bytes);
  EXPECT_EQ(text_of(answer), "done");
  EXPECT_EQ(post_bytes, bytes_of("k=v&x=y"));

  Bytes both = bytes_of(std::string("raw\0bytes", 9));
  http_request(address, 1, "ignored text", nullptr, nullptr, nullptr, nullptr, false, &both);
  EXPECT_EQ(both, bytes_of(std::string("raw\0bytes", 9)));

  http_request(address, 1);
  // A large body goes out at once, without waiting for a 100 Continue.
  const std::string large(3 * 1024 * 1024, 'L');
  http_request(address, 1, large);

  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].request_line(), "POST /form HTTP/1.1");
  EXPECT_EQ(requests[0].body, "k=v&x=y");
  EXPECT_EQ(count_of(requests[0].head, "\r\nContent-Length: 7\r\n"), 1);
  EXPECT_EQ(requests[1].body, std::string("raw\0bytes", 9));
  EXPECT_EQ(count_of(requests[2].head, "\r\nContent-Length: 0\r\n"), 1);
  EXPECT_EQ(requests[3].body, large);
  for (const RecordedRequest& request : requests) {
    EXPECT_EQ(count_of(request.head, "Expect"), 0);
    EXPECT_EQ(count_of(request.head, "Content-Type"), 1);
  }
}

TEST_F(HttpRequest, HeadSendsItsBodyAndReadsNoneBack) {
  // The answer declares a length but, as a HEAD answer, carries no body.
  LoopbackHttpServer server(answer_with("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n"));
  lower_limits([](HttpTransportLimits& limits) { limits.receive_timeout = 5s; });
  const std::string address = server.base_address() + "/head";
  Bytes post_bytes;
  Text response_headers;

  auto start = std::chrono::steady_clock::now();
  Bytes body = http_request(address, 2, "ping", nullptr, nullptr, nullptr, &response_headers, false,
                            &post_bytes);

  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(response_headers, "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n");
  EXPECT_EQ(post_bytes, bytes_of("ping"));
  EXPECT_TRUE(http_request(address, 2).empty());

  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].request_line(), "HEAD /head HTTP/1.1");
  EXPECT_EQ(requests[0].body, "ping");
  EXPECT_EQ(count_of(requests[0].head, "\r\nContent-Length: 4\r\n"), 1);
  EXPECT_EQ(requests[1].request_line(), "HEAD /head HTTP/1.1");
  EXPECT_EQ(count_of(requests[1].head, "Content-Length"), 0);
}

TEST_F(HttpRequest, SuppliedCookiesAreSentAndMergedWithTheAnswers) {
  LoopbackHttpServer server(
      answer_with(http_response(200, {"Set-Cookie: a=1; Path=/", "Set-Cookie: n=2"})));
  const std::string address = server.base_address() + "/supplied";
  Text empty_cookies;
  Text cookies = "a=0; old=9";
  Text new_cookies;

  http_request(address, 0, "", &empty_cookies);
  http_request(address, 0, "", &cookies, &new_cookies);

  EXPECT_EQ(empty_cookies, "a=1; n=2");
  EXPECT_EQ(cookies, "a=1; n=2; old=9");
  EXPECT_EQ(new_cookies, "a=1;n=2");  // stripped of its spaces by the merge
  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(count_of(requests[0].head, "Cookie"), 0);
  EXPECT_EQ(count_of(requests[1].head, "\r\nCookie: a=0; old=9\r\n"), 1);
  EXPECT_EQ(count_of(requests[1].head, "Cookie"), 1);
}

TEST_F(HttpRequest, TheProcessCookieStoreServesRequestsWithoutSuppliedCookies) {
  LoopbackHttpServer server([](const RecordedRequest& request, ServerConnection& connection) {
    if (request.request_line().starts_with("GET /store/set")) {
      connection.send(http_response(200, {"Set-Cookie: kept=1; Path=/store"}));
    } else if (request.request_line().starts_with("GET /store/supplied")) {
      connection.send(http_response(200, {"Set-Cookie: private=2; Path=/store"}));
    } else {
      connection.send(http_response(200));
    }
  });
  const std::string base = server.base_address();
  Text supplied;

  fetch_text(base + "/store/set");
  fetch_text(base + "/store/check");
  http_request(base + "/store/check", 0, "", &supplied);
  http_request(base + "/store/supplied", 0, "", &supplied);
  fetch_text(base + "/store/check");
  fetch_text(base + "/elsewhere");

  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_EQ(count_of(requests[0].head, "Cookie"), 0);
  EXPECT_EQ(count_of(requests[1].head, "\r\nCookie: kept=1\r\n"), 1);
  EXPECT_EQ(count_of(requests[2].head, "Cookie"), 0);  // supplied: the store adds nothing
  EXPECT_EQ(count_of(requests[3].head, "Cookie"), 0);
  EXPECT_EQ(supplied, "private=2");
  // Nor does it keep what an answer to supplied cookies sets.
  EXPECT_EQ(count_of(requests[4].head, "\r\nCookie: kept=1\r\n"), 1);
  EXPECT_EQ(count_of(requests[4].head, "private"), 0);
  EXPECT_EQ(count_of(requests[5].head, "Cookie"), 0);
}

TEST_F(HttpRequest, ThreeSpellingsOfSetCookie) {
  LoopbackHttpServer server(
      answer_with("HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
                  "SET-COOKIE: c=3; HttpOnly\r\nContent-Length: 2\r\n\r\nok"));
  Text new_cookies;
  Text response_headers;

  Bytes body = http_request(server.base_address() + "/three", 0, "", nullptr, &new_cookies, nullptr,
                            &response_headers);

  EXPECT_EQ(text_of(body), "ok");
  EXPECT_EQ(new_cookies, "a=1; b=2; c=3");
  EXPECT_EQ(response_headers,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
            "Set-Cookie: c=3; HttpOnly\r\nContent-Length: 2\r\n");
}

TEST_F(HttpRequest, NoSetCookieGivesNoNewCookies) {
  LoopbackHttpServer server(answer_with(http_response(200, {"X-Other: 1"}, "x")));
  Text new_cookies = "stale=1";
  Text cookies = "mine=1";

  http_request(server.base_address() + "/", 0, "", &cookies, &new_cookies);

  EXPECT_EQ(new_cookies, "");
  EXPECT_EQ(cookies, "mine=1");
}

TEST_F(HttpRequest, ALongHeaderBlockLosesNoCookie) {
  LoopbackHttpServer server(answer_with(http_response(
      200, {"X-Padding: " + std::string(8000, 'p'), "Set-Cookie: late=1; Path=/"}, "x")));
  Text new_cookies;
  Text response_headers;

  http_request(server.base_address() + "/", 0, "", nullptr, &new_cookies, nullptr,
               &response_headers);

  EXPECT_EQ(new_cookies, "late=1");
  EXPECT_GT(response_headers.size(), 8000u);
  EXPECT_TRUE(
      response_headers.ends_with("\r\nSet-Cookie: late=1; Path=/\r\nContent-Length: 1\r\n"));
}

TEST_F(HttpRequest, AServiceThatCannotOpenLeavesEveryParameterAlone) {
  LoopbackHttpServer server;
  Text headers = "X-Mine: 1";
  Text cookies = "a = 1";
  Text response_headers = "before";
  Bytes post_bytes;

  // A proxy text with no host in it gives the service no usable proxy.
  Bytes body = http_request(server.base_address() + "/", 1, "text", &cookies, nullptr, &headers,
                            &response_headers, false, &post_bytes, " ");

  EXPECT_TRUE(body.empty());
  EXPECT_EQ(headers, "X-Mine: 1");
  EXPECT_EQ(cookies, "a = 1");
  EXPECT_EQ(response_headers, "before");
  EXPECT_TRUE(post_bytes.empty());
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(fetch_text(""), "");
}

TEST_F(HttpRequest, ARefusedConnectionGivesAnEmptyBodyAfterTheRequestWasOpened) {
  const std::string address = "http://127.0.0.1:" + std::to_string(refused_loopback_port()) + "/";
  Text headers;
  Text response_headers = "before";
  Text cookies = "a = 1";

  Bytes body = http_request(address, 0, "", &cookies, nullptr, &headers, &response_headers);

  EXPECT_TRUE(body.empty());
  EXPECT_EQ(headers, default_header_text(address) + "\r\nCookie: a = 1");
  EXPECT_EQ(response_headers, "");
  EXPECT_EQ(cookies, "a=1");
  EXPECT_EQ(fetch_text(address), "");
}

TEST_F(HttpRequest, ANulInTheBodyEndsTheText) {
  const std::string page("before\0after", 12);
  LoopbackHttpServer server(answer_with(http_response(200, {}, page)));

  EXPECT_EQ(fetch_text(server.base_address() + "/"), "before");
  EXPECT_EQ(text_of(http_request(server.base_address() + "/")), page);
}

Responder redirecting_to(std::string location) {
  return [location](const RecordedRequest& request, ServerConnection& connection) {
    if (request.request_line().starts_with("GET /from ")) {
      connection.send(http_response(302, {"Location: " + location}, "moved"));
    } else {
      connection.send(http_response(200, {"X-Last: yes"}, "arrived"));
    }
  };
}

TEST_F(HttpRequest, RedirectsAreFollowedUnlessRefused) {
  LoopbackHttpServer server(redirecting_to("/to"));
  const std::string address = server.base_address() + "/from";
  Text response_headers;

  Bytes followed =
      http_request(address, 0, "", nullptr, nullptr, nullptr, &response_headers, false);
  EXPECT_EQ(text_of(followed), "arrived");
  EXPECT_EQ(response_headers, "HTTP/1.1 200 Answer\r\nX-Last: yes\r\nContent-Length: 7\r\n");

  Bytes returned = http_request(address, 0, "", nullptr, nullptr, nullptr, &response_headers, true);
  EXPECT_EQ(text_of(returned), "moved");
  EXPECT_EQ(response_headers, "HTTP/1.1 302 Answer\r\nLocation: /to\r\nContent-Length: 5\r\n");

  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].request_line(), "GET /to HTTP/1.1");
}

TEST_F(HttpRequest, ARedirectFromHttpToHttpsIsFollowed) {
  TlsIdentity identity = make_loopback_tls_identity();
  LoopbackHttpServer secure(answer_with(http_response(200, {}, "secure end")), &identity);
  LoopbackHttpServer plain(redirecting_to(secure.base_address() + "/end"));
  trust(identity);

  EXPECT_EQ(fetch_text(plain.base_address() + "/from"), "secure end");
  std::vector<RecordedRequest> requests = secure.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].request_line(), "GET /end HTTP/1.1");
}

TEST_F(HttpRequest, ARedirectFromHttpsToHttpIsNotFollowed) {
  TlsIdentity identity = make_loopback_tls_identity();
  LoopbackHttpServer plain(answer_with(http_response(200, {}, "plain end")));
  LoopbackHttpServer secure(redirecting_to(plain.base_address() + "/end"), &identity);
  trust(identity);

  EXPECT_EQ(fetch_text(secure.base_address() + "/from"), "");
  EXPECT_EQ(secure.requests().size(), 1u);
  EXPECT_TRUE(plain.requests().empty());
}

TEST_F(HttpRequest, EveryFetchReachesTheServerWhateverItsCachingHeaders) {
  std::atomic<int> answers = 0;
  LoopbackHttpServer server([&](const RecordedRequest&, ServerConnection& connection) {
    connection.send(http_response(200, {"Cache-Control: public, max-age=3600", "ETag: \"same\""},
                                  "answer " + std::to_string(++answers)));
  });
  const std::string address = server.base_address() + "/cached";

  EXPECT_EQ(fetch_text(address), "answer 1");
  EXPECT_EQ(fetch_text(address), "answer 2");
  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].head, requests[0].head);
}

TEST_F(HttpRequest, AnEndlessBodyStopsAtTheLimit) {
  LoopbackHttpServer server([](const RecordedRequest&, ServerConnection& connection) {
    connection.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    const std::string chunk(64 * 1024, 'e');
    while (connection.send(chunk)) {
    }
    connection.close_after_reply();
  });
  lower_limits([](HttpTransportLimits& limits) { limits.max_body_bytes = 3 * 1024 * 1024 + 5; });

  Bytes body = http_request(server.base_address() + "/endless");

  EXPECT_EQ(body.size(), 3u * 1024 * 1024 + 5);
  EXPECT_EQ(body.back(), 'e');
}

TEST_F(HttpRequest, AServerThatNeverAnswersFailsWithinTheReceiveTimeout) {
  LoopbackHttpServer server(
      [](const RecordedRequest&, ServerConnection& connection) { connection.pause(60s); });
  lower_limits([](HttpTransportLimits& limits) { limits.receive_timeout = 300ms; });

  auto start = std::chrono::steady_clock::now();
  Text response_headers = "before";
  Bytes body = http_request(server.base_address() + "/silent", 0, "", nullptr, nullptr, nullptr,
                            &response_headers);

  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(response_headers, "");
  EXPECT_GE(elapsed, 300ms);
  EXPECT_LT(elapsed, 10s);
  EXPECT_EQ(server.requests().size(), 1u);
}

// A listener whose queue is full and which never accepts: further connections are never made.
class FullListener {
 public:
  FullListener() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(listener_, 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 4; ++i) {
      int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      ::connect(filler, reinterpret_cast<sockaddr*>(&address), length);
      fillers_.push_back(filler);
    }
  }
  ~FullListener() {
    for (int filler : fillers_) ::close(filler);
    ::close(listener_);
  }
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};

TEST_F(HttpRequest, AConnectionThatCannotBeMadeFailsWithinTheConnectTimeout) {
  FullListener listener;
  lower_limits([](HttpTransportLimits& limits) { limits.connect_timeout = 500ms; });

  auto start = std::chrono::steady_clock::now();
  Bytes body = http_request("http://127.0.0.1:" + std::to_string(listener.port()) + "/");

  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(body.empty());
  EXPECT_GE(elapsed, 500ms);
  EXPECT_LT(elapsed, 10s);
}

TEST_F(HttpRequest, ADripFeedingServerIsStoppedByTheWholeRequestLimit) {
  LoopbackHttpServer server([](const RecordedRequest&, ServerConnection& connection) {
    connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
    while (connection.send("d") && connection.pause(20ms)) {
    }
  });
  lower_limits([](HttpTransportLimits& limits) { limits.request_timeout = 1s; });

  auto start = std::chrono::steady_clock::now();
  Bytes body = http_request(server.base_address() + "/drip");

  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 1s);
  EXPECT_LT(elapsed, 10s);
  EXPECT_FALSE(body.empty());
  EXPECT_LT(body.size(), 1000u);
  EXPECT_EQ(body, Bytes(body.size(), 'd'));
}

}  // namespace
