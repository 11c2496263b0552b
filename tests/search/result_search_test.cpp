#include "search/result_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui_controls.h"
#include "platform/http_client.h"
#include "search/shared_state.h"
#include "tests/search/search_window.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/tool_test_support.h"
#include "text/code_pages.h"
#include "text/gbk_literal.h"

namespace {

const std::string du_zhan = "毒战";

void list_first_page() {
  search_first_page();
}

class ResultSearch : public testing::Test {
 protected:
  void SetUp() override {
    open_search_window();
    start_recording_statuses();
    current_page = 0;
  }
  void TearDown() override { close_search_window(); }

  static std::vector<Text> statuses(std::initializer_list<const char*> utf8_texts) {
    std::vector<Text> texts;
    for (const char* text : utf8_texts) texts.push_back(utf8_to_gbk(text));
    return texts;
  }
};

// A site that records what it is asked and answers one page for every request.
struct RecordingSite {
  LoopbackHttpServer server;
  explicit RecordingSite(const std::string& page = "<ul></ul>")
      : server(answer_with(http_response(200, {"Content-Type: text/html"}, page))) {
    point_search_site_at(server.base_address());
  }
  std::vector<std::string> request_lines() const {
    std::vector<std::string> lines;
    for (const RecordedRequest& request : server.requests())
      lines.push_back(request.request_line());
    return lines;
  }
};

TEST_F(ResultSearch, AsksForTheKeywordsUtf8EncodedByteByByteAndThePageNumber) {
  struct Case {
    const char* keyword;
    int page;  // 0: the first-page search
    std::string target;
  };
  const Case cases[] = {
      {"毒战", 0, "/s/%E6%AF%92%E6%88%98/1/"}, {"毒战", 3, "/s/%E6%AF%92%E6%88%98/3/"},
      {"abc", 0, "/s/%61%62%63/1/"},           {"", 0, "/s//1/"},
      {"a b", 12, "/s/%61%20%62/12/"},         {"x", -2, "/s/%78/-2/"},
  };
  for (const Case& one : cases) {
    RecordingSite site;
    set_control_text("编辑框1"_gbk, utf8_to_gbk(one.keyword));
    if (one.page == 0) {
      run_on_worker(list_first_page);
    } else {
      search_page(one.page, false);
    }
    EXPECT_EQ(site.request_lines(), std::vector<std::string>{"GET " + one.target + " HTTP/1.1"})
        << one.keyword << " " << one.page;
  }
}

TEST_F(ResultSearch, CutsEveryHitOutOfTheMarkupAsThePatternSays) {
  struct Case {
    const char* name;
    std::string page;
    std::vector<std::pair<const char*, const char*>> rows;  // title, link (UTF-8)
  };
  const Case cases[] = {
      {"the last item is not followed by another",
       "<ul><li><a href=\"/d/1\">one</a></li><li><a href=\"/d/2\">two</a></li></ul>\n",
       {{"one", "/d/1"}}},
      {"capital letters",
       "<UL><LI><A HREF=\"/d/1\">One</A></LI><LI>size</LI>\n",
       {{"One", "/d/1"}}},
      {"markup inside a title",
       "<li><a href=\"/d/1\"><b>毒战</b> 2013</a></li><li>x</li>\n",
       {{"<b>毒战</b> 2013", "/d/1"}}},
      {"a hit broken across two lines",
       "<li><a href=\"/d/1\">one\n</a></li><li>x</li>\n<li><a href=\"/d/2\">two</a></li><li>\n",
       {{"two", "/d/2"}}},
      {"escapes decoded before matching",
       "<li><a href=\"/d/a%20b\">%E6%AF%92%E6%88%98%20HD</a></li><li>\n"
       "<li><a href%3D%22/d/c%22>c</a>%3C/li%3E%3Cli%3E\n",
       {{"毒战 HD", "/d/a b"}, {"c", "/d/c"}}},
      {"empty groups", "<li><a href=\"\"></a></li><li>\n", {{"", ""}}},
      {"no hits at all", "<html><body>nothing</body></html>", {}},
  };
  for (const Case& one : cases) {
    RecordingSite site(one.page);
    run_on_worker(list_first_page);
    std::vector<ListedRow> expected;
    for (auto [title, link] : one.rows)
      expected.emplace_back(utf8_to_gbk(title), utf8_to_gbk(link));
    EXPECT_EQ(listed_rows(), expected) << one.name;
  }
}

TEST_F(ResultSearch, TheFirstPageReplacesTheListAndReportsEachStage) {
  RunningSite site = start_site(0);
  ASSERT_GT(site.port, 0);
  point_search_site_at(site_address(site));
  add_row("超级列表框1"_gbk);
  current_page = 7;

  run_on_worker(list_first_page);

  EXPECT_EQ(listed_rows(), demo_site_rows(du_zhan, 1, site_address(site)));
  EXPECT_EQ(current_page, 1);
  EXPECT_EQ(recorded_statuses(), statuses({"获取完毕", "双击表项 立即解析磁力链接"}));
  stop_site(site);
}

TEST_F(ResultSearch, FurtherPagesAppendOrReplaceAndNameThePageLastAskedFor) {
  RunningSite site = start_site(0);
  ASSERT_GT(site.port, 0);
  std::string address = site_address(site);
  point_search_site_at(address);
  run_on_worker(list_first_page);

  current_page = 2;
  search_page(2, true);
  std::vector<ListedRow> expected = demo_site_rows(du_zhan, 1, address);
  for (const ListedRow& row : demo_site_rows(du_zhan, 2, address)) expected.push_back(row);
  EXPECT_EQ(listed_rows(), expected);

  current_page = 3;
  search_page(3, false);
  EXPECT_EQ(listed_rows(), demo_site_rows(du_zhan, 3, address));

  // A page past the last one lists nothing, as the site has nothing more.
  current_page = 9;
  search_page(result_page_count(du_zhan) + 1, false);
  EXPECT_TRUE(listed_rows().empty());

  EXPECT_EQ(recorded_statuses(),
            statuses({"获取完毕", "双击表项 立即解析磁力链接", "双击表项 立即解析磁力链接",
                      "现正为第（2）页", "双击表项 立即解析磁力链接", "现正为第（3）页",
                      "双击表项 立即解析磁力链接", "现正为第（9）页"}));
  EXPECT_EQ(current_page, 9);
  stop_site(site);
}

TEST_F(ResultSearch, APageThatCannotBeFetchedIsReportedAsSuch) {
  point_search_site_at("http://127.0.0.1:" + std::to_string(refused_loopback_port()));
  add_row("超级列表框1"_gbk);
  set_cell_text("超级列表框1"_gbk, 0, 0, "kept"_gbk);
  current_page = 4;

  search_page(4, true);
  EXPECT_EQ(listed_rows(), (std::vector<ListedRow>{{"kept"_gbk, ""}}));
  EXPECT_EQ(current_page, 4);

  run_on_worker(list_first_page);
  EXPECT_TRUE(listed_rows().empty());
  EXPECT_EQ(current_page, 1);

  EXPECT_EQ(recorded_statuses(), statuses({"获取失败，请稍后重试", "现正为第（4）页", "获取失败",
                                           "获取失败，请稍后重试"}));
}

}  // namespace
