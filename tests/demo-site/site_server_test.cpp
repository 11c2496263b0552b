#include "demo-site/site_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

const std::string du_zhan_target = "/s/%E6%AF%92%E6%88%98/1/";

int connect_to(int port, int wait_milliseconds = 3000) {
  int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(socket_fd);
    return -1;
  }
  timeval timeout{wait_milliseconds / 1000, (wait_milliseconds % 1000) * 1000};
  setsockopt(socket_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  return socket_fd;
}

// Sends raw bytes and answers whatever comes back until the server closes or goes quiet.
std::string raw_exchange(int port, const std::string& request, int wait_milliseconds = 3000) {
  int socket_fd = connect_to(port, wait_milliseconds);
  if (socket_fd < 0) return "";
  send(socket_fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = recv(socket_fd, buffer, sizeof buffer, 0)) > 0;)
    answer.append(buffer, got);
  close(socket_fd);
  return answer;
}

struct SiteFixture : testing::Test {
  RunningSite site = start_site(0);
  void SetUp() override { ASSERT_GT(site.port, 0); }
  void TearDown() override { stop_site(site); }
  std::string address() const { return "http://127.0.0.1:" + std::to_string(site.port); }
};

TEST_F(SiteFixture, ServesTheGeneratedPagesOverHttp) {
  httplib::Client client("127.0.0.1", site.port);
  auto result = client.Get(du_zhan_target);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(result->body, site_page(du_zhan_target, address()).body);
  // Its links lead back to the port it was reached on.
  EXPECT_NE(result->body.find("href=\"" + address() + "/d/"), std::string::npos);

  std::string detail = "/d/" + hit_info_hash("毒战", 1, 0) + "/";
  auto detail_result = client.Get(detail);
  ASSERT_TRUE(detail_result);
  EXPECT_EQ(detail_result->status, 200);
  EXPECT_NE(detail_result->body.find(magnet_link_for(hit_info_hash("毒战", 1, 0))),
            std::string::npos);

  auto missing = client.Get("/nothing/here");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
}

TEST_F(SiteFixture, AnUntrustworthyHostHeaderIsReplacedByTheLoopbackAddress) {
  std::string answer = raw_exchange(
      site.port,
      "GET " + du_zhan_target + " HTTP/1.1\r\nHost: evil\"><script>\r\nConnection: close\r\n\r\n");
  EXPECT_NE(answer.find("href=\"" + address() + "/d/"), std::string::npos);
  EXPECT_EQ(answer.find("<script>"), std::string::npos);
}

TEST_F(SiteFixture, SurvivesMalformedAndHostileRequestsAndKeepsServing) {
  const std::string hostile[] = {
      "garbage\r\n\r\n",
      "GET /s/%FF%FE/1/ HTTP/1.1\r\nHost: x\r\n\r\n",
      "GET /s/" + std::string(100000, 'a') + "/1/ HTTP/1.1\r\n\r\n",
      "GET /s/" + std::string(7000, '(') + "/1/ HTTP/1.1\r\n\r\n",
      std::string("GET /\0\x01\x02 HTTP/1.1\r\n\r\n", 22),
      "POST /s/x/1/ HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello",
      "GET /s/x/1/ HTTP/1.1\r\nContent-Length: -1\r\n\r\n",
      "GET /s/x/1/ HTTP/1.1\r\n" + std::string(70000, 'H') + ": v\r\n\r\n",
      "",
  };
  for (const std::string& request : hostile) raw_exchange(site.port, request, 300);
  // A client that connects and says nothing does not hold up the others.
  int silent = connect_to(site.port);

  std::string answer = raw_exchange(site.port, "POST / HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_NE(answer.find("405"), std::string::npos);
  answer =
      raw_exchange(site.port, "GET " + du_zhan_target + " HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer.substr(0, 100);
  if (silent >= 0) close(silent);
}

TEST(SiteServer, ATakenPortIsReportedAndStopFreesThePort) {
  RunningSite first = start_site(0);
  ASSERT_GT(first.port, 0);
  RunningSite second = start_site(first.port);
  EXPECT_EQ(second.port, 0);
  stop_site(second);
  int port = first.port;
  stop_site(first);
  RunningSite again = start_site(port);
  EXPECT_EQ(again.port, port);
  stop_site(again);
}

int free_port() {
  RunningSite probe = start_site(0);
  int port = probe.port;
  stop_site(probe);
  return port;
}

TEST(SiteProgram, ServesOnTheGivenPortUntilTerminated) {
  int port = free_port();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, STDOUT_FILENO);
    execl(DEMO_SITE_PROGRAM, DEMO_SITE_PROGRAM, std::to_string(port).c_str(), nullptr);
    _exit(127);
  }
  httplib::Client client("127.0.0.1", port);
  int status_seen = 0;
  for (int attempt = 0; attempt < 200 && status_seen == 0; ++attempt) {
    if (auto result = client.Get(du_zhan_target)) {
      status_seen = result->status;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  EXPECT_EQ(status_seen, 200);
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(SiteProgram, RefusesABadPortArgument) {
  for (const char* argument : {"0", "65536", "http", "-1", ""}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int null_fd = open("/dev/null", O_WRONLY);
      dup2(null_fd, STDERR_FILENO);
      execl(DEMO_SITE_PROGRAM, DEMO_SITE_PROGRAM, argument, nullptr);
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << argument;
  }
}

}  // namespace
