#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_http_server.h"
#include "web/http_request.h"

namespace {

// Each path /thread/N answers a body and a cookie of its own, so a mix-up shows.
void answer_for_thread(const RecordedRequest& request, ServerConnection& connection) {
  std::string line = request.request_line();
  std::string number = line.substr(12, line.find(' ', 12) - 12);  // "GET /thread/N ..."
  std::string body;
  for (int i = 0; i < 2000; ++i) body += "thread " + number + ";";
  connection.send(http_response(
      200, {"Set-Cookie: t" + number + "=" + number + "; Path=/thread/" + number}, body));
}

TEST(HttpRequestThreads, SixteenThreadsFetchAtOnceWithoutMixUp) {
  LoopbackHttpServer server(answer_for_thread);
  constexpr int thread_count = 16;
  constexpr int rounds = 3;
  std::vector<std::string> failures(thread_count);
  std::vector<std::thread> threads;
  for (int n = 0; n < thread_count; ++n) {
    threads.emplace_back([&, n] {
      const std::string number = std::to_string(n);
      const std::string address = server.base_address() + "/thread/" + number;
      std::string expected_body;
      for (int i = 0; i < 2000; ++i) expected_body += "thread " + number + ";";
      for (int round = 0; round < rounds; ++round) {
        // Odd threads carry their own cookies, even ones use the process's store.
        if (n % 2 == 1) {
          Text cookies = "own" + number + "=x";
          Bytes body = http_request(address, 0, "", &cookies);
          if (std::string(body.begin(), body.end()) != expected_body) failures[n] += "body;";
          if (cookies != "t" + number + "=" + number + "; own" + number + "=x") {
            failures[n] += "cookies " + cookies + ";";
          }
        } else if (fetch_text(address) != expected_body) {
          failures[n] += "text;";
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int n = 0; n < thread_count; ++n) EXPECT_EQ(failures[n], "") << "thread " << n;

  // What each request carried: supplied cookies, or from the store only the thread's own cookie
  // once its first answer had set it.
  std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), std::size_t{thread_count * rounds});
  std::vector<int> seen(thread_count);
  for (const RecordedRequest& request : requests) {
    std::string line = request.request_line();
    int n = std::stoi(line.substr(12));
    std::string number = std::to_string(n);
    std::string cookie_line;
    if (std::size_t at = request.head.find("\r\nCookie: "); at != std::string::npos) {
      cookie_line = request.head.substr(at + 2, request.head.find("\r\n", at + 2) - at - 2);
    }
    if (n % 2 == 1) {
      EXPECT_EQ(cookie_line, "Cookie: own" + number + "=x");
    } else if (seen[n] > 0) {
      EXPECT_EQ(cookie_line, "Cookie: t" + number + "=" + number);
    }
    ++seen[n];
  }
}

}  // namespace
