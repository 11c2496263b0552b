#include "search/magnet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "search/shared_state.h"
#include "tests/search/search_window.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/tool_test_support.h"
#include "text/code_pages.h"
#include "text/gbk_literal.h"

namespace {

const std::string opening = "BTUP在线观看</a>\r\n<a href=\"";
const std::string closing = "\">磁力链接</a>";
const std::string hash = "0123456789abcdef0123456789abcdef01234567";
const std::string magnet = "magnet:?xt=urn:btih:" + hash;

class MagnetResolution : public testing::Test {
 protected:
  void SetUp() override {
    open_search_window();
    start_recording_statuses();
    start_recording_opened_urls();
  }
  void TearDown() override {
    close_search_window();
    release_shared_state();
  }

  static std::vector<Text> statuses(const char* last) {
    std::vector<Text> texts;
    for (const char* text : {"开始解析..", "开始解析...", "开始解析.", last}) {
      texts.push_back(utf8_to_gbk(text));
    }
    return texts;
  }
  static std::vector<Text> opened_statuses() { return statuses("解析完毕，已经打开磁力链接"); }
  static std::vector<Text> failed_statuses() { return statuses("解析失败，未找到磁力链接"); }
};

TEST_F(MagnetResolution, OpensTheLinkBetweenTheMarkersOrNothingAtAll) {
  struct Case {
    const char* name;
    std::string page;
    std::string opened;  // UTF-8; empty: nothing is opened
  };
  const Case cases[] = {
      {"the link alone", "<p><a href=\"/play\">" + opening + magnet + closing + "</p>", magnet},
      {"the first of two",
       opening + magnet + "&dn=first" + closing + "\n" + opening + magnet + "&dn=second" + closing,
       magnet + "&dn=first"},
      {"escapes decoded, the link's own included",
       opening + magnet + "&dn=%E6%AF%92%E6%88%98%20HD" + closing, magnet + "&dn=毒战 HD"},
      {"letters of the scheme in any case", opening + "MAGNET:?xt=urn:btih:" + hash + closing,
       "MAGNET:?xt=urn:btih:" + hash},
      {"a bare line feed between the anchors", "BTUP在线观看</a>\n<a href=\"" + magnet + closing,
       ""},
      {"closing tags in capitals", "BTUP在线观看</A>\r\n<A HREF=\"" + magnet + "\">磁力链接</A>",
       ""},
      {"no end marker", opening + magnet, ""},
      {"something else than a magnet link", opening + "javascript:alert(1)" + closing, ""},
      {"an address", opening + "http://127.0.0.1/" + closing, ""},
      {"an empty link", opening + closing, ""},
      {"magnet without its question mark", opening + "magnet:xt=urn:btih:" + hash + closing, ""},
  };
  for (const Case& one : cases) {
    LoopbackHttpServer server(answer_with(http_response(200, {}, one.page)));
    start_recording_statuses();
    start_recording_opened_urls();
    store_selected_link(server.base_address() + "/d/1/");
    run_on_worker(resolve_magnet);
    if (one.opened.empty()) {
      EXPECT_TRUE(recorded_opened_urls().empty()) << one.name;
      EXPECT_EQ(recorded_statuses(), failed_statuses()) << one.name;
    } else {
      EXPECT_EQ(recorded_opened_urls(), std::vector<std::string>{one.opened}) << one.name;
      EXPECT_EQ(recorded_statuses(), opened_statuses()) << one.name;
    }
    EXPECT_EQ(server.requests().size(), 1u) << one.name;
  }
}

TEST_F(MagnetResolution, OpensTheMagnetLinkOfADemoSiteHit) {
  RunningSite site = start_site(0);
  ASSERT_GT(site.port, 0);
  std::string hit_hash = hit_info_hash("毒战", 1, 4);
  store_selected_link(site_address(site) + "/d/" + hit_hash + "/");
  run_on_worker(resolve_magnet);
  EXPECT_EQ(recorded_opened_urls(),
            std::vector<std::string>{"magnet:?xt=urn:btih:" + hit_hash + "&dn=演示资源-" +
                                     hit_hash.substr(0, 8)});
  EXPECT_EQ(recorded_statuses(), opened_statuses());
  stop_site(site);
}

TEST_F(MagnetResolution, NoLinkNoSiteOrNoPageOpensNothing) {
  const std::string addresses[] = {
      "",
      "http://127.0.0.1:" + std::to_string(refused_loopback_port()) + "/d/1/",
  };
  for (const std::string& address : addresses) {
    start_recording_statuses();
    store_selected_link(address);
    run_on_worker(resolve_magnet);
    EXPECT_TRUE(recorded_opened_urls().empty()) << address;
    EXPECT_EQ(recorded_statuses(), failed_statuses()) << address;
  }
}

TEST_F(MagnetResolution, EachResolutionFetchesTheLinkStoredWhenItStarted) {
  // The site takes its time over the first request, while a later double-click stores another
  // link.
  LoopbackHttpServer server([](const RecordedRequest&, ServerConnection& connection) {
    connection.pause(std::chrono::milliseconds(300));
    connection.send(http_response(
        200, {}, "BTUP在线观看</a>\r\n<a href=\"magnet:?xt=urn:btih:" + hash + "\">磁力链接</a>"));
  });
  store_selected_link(server.base_address() + "/d/first/");
  std::thread resolution(resolve_magnet);
  dispatch_until([&] { return server.connection_count() > 0; });
  store_selected_link(server.base_address() + "/d/second/");
  dispatch_until([] { return recorded_opened_urls().size() == 1; });
  resolution.join();
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].request_line(), "GET /d/first/ HTTP/1.1");
  EXPECT_EQ(selected_link_copy(), server.base_address() + "/d/second/");
}

}  // namespace
