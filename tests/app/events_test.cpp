#include "app/events.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/publisher.h"
#include "platform/gui_controls.h"
#include "platform/gui_qt.h"
#include "platform/http_client.h"
#include "search/shared_state.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/tool_test_support.h"
#include "text/code_pages.h"
#include "text/gbk_literal.h"

namespace {

using namespace std::chrono_literals;

const std::string du_zhan = "毒战";

Text gbk(const char* utf8) {
  return utf8_to_gbk(utf8);
}

std::vector<Text> gbk_texts(std::initializer_list<const char*> utf8_texts) {
  std::vector<Text> texts;
  for (const char* text : utf8_texts) texts.push_back(gbk(text));
  return texts;
}

const char* const listed = "双击表项 立即解析磁力链接";

// The main window as the program opens it, with its own handlers, against a demo site that the
// test starts on a free port.
class WindowEvents : public testing::Test {
 protected:
  void SetUp() override {
    site = start_site(0);
    ASSERT_GT(site.port, 0);
    address = site_address(site);
    point_search_site_at(address);
    start_recording_statuses();
    start_recording_opened_urls();
    current_page = 0;
  }
  void TearDown() override {
    if (QWidget* window = main_window_widget()) window->close();
    stop_site(site);
    release_shared_state();
  }

  // Opens the window and waits for the first search, which it starts by itself, to end.
  void open_window_and_wait_for_first_page() {
    create_main_window();
    ASSERT_TRUE(dispatch_until([] { return recorded_statuses().size() == 2; }));
  }

  template <typename Widget>
  static Widget* control(const char* name) {
    return qobject_cast<Widget*>(control_object(gbk(name)));
  }
  static void click(const char* button) { control<QPushButton>(button)->click(); }
  static void press(const char* label) {
    QTest::mousePress(control<QLabel>(label), Qt::LeftButton);
  }
  static void double_click_row(int row) {
    auto* list = control<QTableWidget>("超级列表框1");
    QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
    // As the platform delivers it: a click, then the second press as a double-click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
  }
  static std::vector<ListedRow> pages(const std::string& address,
                                      std::initializer_list<int> numbers) {
    std::vector<ListedRow> rows;
    for (int number : numbers) {
      for (const ListedRow& row : demo_site_rows(du_zhan, number, address)) rows.push_back(row);
    }
    return rows;
  }

  RunningSite site;
  std::string address;
};

TEST_F(WindowEvents, TheFirstPageOfTheDefaultKeywordIsListedWithoutAnyAction) {
  open_window_and_wait_for_first_page();
  EXPECT_EQ(listed_rows(), pages(address, {1}));
  EXPECT_EQ(recorded_statuses(), gbk_texts({"获取完毕", listed}));
  EXPECT_EQ(current_page, 1);
}

TEST_F(WindowEvents, PagingAppendsReplacesAndTheHintLabelDoesWhatAppendingDoes) {
  open_window_and_wait_for_first_page();

  click("按钮2");
  EXPECT_EQ(listed_rows(), pages(address, {1, 2}));
  EXPECT_EQ(current_page, 2);
  EXPECT_EQ(control_text("透明标签1"_gbk), gbk("现正为第（2）页"));

  click("按钮3");
  EXPECT_EQ(listed_rows(), pages(address, {3}));
  EXPECT_EQ(current_page, 3);

  press("透明标签2");
  // Page 4 is past the last page of this keyword: nothing is added, and it counts all the same.
  ASSERT_EQ(result_page_count(du_zhan), 3);
  EXPECT_EQ(listed_rows(), pages(address, {3}));
  EXPECT_EQ(current_page, 4);
  EXPECT_EQ(recorded_statuses(), gbk_texts({"获取完毕", listed, listed, "现正为第（2）页", listed,
                                            "现正为第（3）页", listed, "现正为第（4）页"}));

  // A new search starts again at page 1.
  click("按钮1");
  ASSERT_TRUE(dispatch_until([] { return recorded_statuses().size() == 10; }));
  EXPECT_EQ(current_page, 1);
  EXPECT_EQ(listed_rows(), pages(address, {1}));
}

TEST_F(WindowEvents, APagingClickInsideAnotherPagesWaitCompletesFirst) {
  open_window_and_wait_for_first_page();
  // While page 2 waits its second, page 3 is asked for and listed in place of everything.
  QTimer::singleShot(300, [] { click("按钮3"); });
  click("按钮2");
  EXPECT_EQ(listed_rows(), pages(address, {3}));
  EXPECT_EQ(current_page, 3);
  EXPECT_EQ(recorded_statuses(),
            gbk_texts({"获取完毕", listed, listed, listed, "现正为第（3）页", "现正为第（3）页"}));
}

TEST_F(WindowEvents, TwoQuickSearchesRunAtTheSameTime) {
  open_window_and_wait_for_first_page();
  click("按钮2");
  ASSERT_EQ(current_page, 2);
  click("按钮1");
  click("按钮1");
  ASSERT_TRUE(dispatch_until([] { return recorded_statuses().size() == 8; }));
  EXPECT_EQ(current_page, 1);
  // Each search empties the list and lists page 1; the two may interleave their rows.
  std::vector<ListedRow> rows = listed_rows();
  std::vector<ListedRow> page_one = pages(address, {1});
  EXPECT_GE(rows.size(), page_one.size());
  EXPECT_LE(rows.size(), 2 * page_one.size());
  for (const ListedRow& row : rows) {
    EXPECT_NE(std::find(page_one.begin(), page_one.end(), row), page_one.end()) << row.second;
  }
}

TEST_F(WindowEvents, ADoubleClickOpensTheMagnetLinkOfTheSelectedRow) {
  open_window_and_wait_for_first_page();
  double_click_row(5);
  ASSERT_TRUE(dispatch_until([] { return recorded_opened_urls().size() == 1; }));
  std::string hash = hit_info_hash(du_zhan, 1, 5);
  EXPECT_EQ(recorded_opened_urls()[0],
            "magnet:?xt=urn:btih:" + hash + "&dn=演示资源-" + hash.substr(0, 8));
  EXPECT_EQ(selected_link_copy(), address + "/d/" + hash + "/");
  ASSERT_TRUE(dispatch_until([] { return recorded_statuses().size() == 6; }));
  EXPECT_EQ(recorded_statuses().back(), gbk("解析完毕，已经打开磁力链接"));
}

TEST_F(WindowEvents, ADoubleClickWithoutASelectedRowDoesNothing) {
  open_window_and_wait_for_first_page();
  store_selected_link("kept"_gbk);
  // Below the last row: nothing is selected.
  auto* list = control<QTableWidget>("超级列表框1");
  list->clearSelection();
  list->setCurrentIndex(QModelIndex());
  delete_all_rows("超级列表框1"_gbk);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  wait_dispatching_events(300);
  EXPECT_EQ(selected_row("超级列表框1"_gbk), -1);
  EXPECT_EQ(selected_link_copy(), "kept"_gbk);
  EXPECT_EQ(recorded_statuses().size(), 2u);
  EXPECT_TRUE(recorded_opened_urls().empty());
}

TEST_F(WindowEvents, ARowWithoutALinkResolvesToNothing) {
  open_window_and_wait_for_first_page();
  set_cell_text("超级列表框1"_gbk, 2, 1, Text());
  double_click_row(2);
  ASSERT_TRUE(dispatch_until([] { return recorded_statuses().size() == 6; }));
  EXPECT_EQ(selected_link_copy(), Text());
  EXPECT_EQ(recorded_statuses().back(), gbk("解析失败，未找到磁力链接"));
  EXPECT_TRUE(recorded_opened_urls().empty());
}

TEST_F(WindowEvents, TheAdvertLabelOpensThePublishersAddress) {
  open_window_and_wait_for_first_page();
  press("透明标签4");
  EXPECT_EQ(recorded_opened_urls(), std::vector<std::string>{gbk_to_utf8(publisher_address)});
}

TEST_F(WindowEvents, TheClockColoursTheAdvertLabelTheSameWayInEveryRun) {
  create_main_window();
  auto* label = control<QLabel>("透明标签4");
  std::vector<QColor> colours;
  dispatch_until(
      [&] {
        QColor colour = label->palette().color(QPalette::WindowText);
        if (colours.empty() || colours.back() != colour) colours.push_back(colour);
        return colours.size() == 4;
      },
      5s);
  ASSERT_EQ(colours.size(), 4u);
  EXPECT_EQ(colours[0], QColor(0, 0, 0));
  EXPECT_EQ(colours[1], QColor(41, 35, 190));
  EXPECT_EQ(colours[2], QColor(132, 225, 108));
  EXPECT_EQ(colours[3], QColor(214, 174, 82));
}

TEST_F(WindowEvents, WithTheSiteStoppedEverySearchSaysItFailed) {
  stop_site(site);
  point_search_site_at("http://127.0.0.1:" + std::to_string(refused_loopback_port()));
  open_window_and_wait_for_first_page();
  click("按钮3");
  EXPECT_TRUE(listed_rows().empty());
  EXPECT_EQ(recorded_statuses(), gbk_texts({"获取失败", "获取失败，请稍后重试",
                                            "获取失败，请稍后重试", "现正为第（2）页"}));
}

TEST_F(WindowEvents, HostilePagesLeaveTheWindowResponding) {
  HttpTransportLimits saved = http_transport_limits();
  HttpTransportLimits lowered = saved;
  lowered.receive_timeout = 1s;
  lowered.request_timeout = 4s;
  lowered.max_body_bytes = 4 << 20;
  set_http_transport_limits(lowered);

  // One line of two megabytes where every anchor starts a hit that never ends.
  std::string pathological_line;
  while (pathological_line.size() < (2u << 20)) pathological_line += "<a href=\"a\">b</a></li>";
  struct Case {
    const char* name;
    Responder responder;
  };
  const Case cases[] = {
      {"an endless body",
       [](const RecordedRequest&, ServerConnection& connection) {
         connection.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n");
         std::string chunk(65535, 'x');
         chunk += '\n';
         while (connection.send(chunk)) {
         }
       }},
      {"no answer at all",
       [](const RecordedRequest&, ServerConnection& connection) {
         while (connection.pause(100ms)) {
         }
       }},
      {"a pathological line", answer_with(http_response(200, {}, pathological_line))},
  };
  for (const Case& one : cases) {
    LoopbackHttpServer server(one.responder);
    point_search_site_at(server.base_address());
    start_recording_statuses();
    create_main_window();
    auto last_turn = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longest_turn{};
    bool ended = dispatch_until(
        [&] {
          auto now = std::chrono::steady_clock::now();
          longest_turn = std::max(longest_turn, now - last_turn);
          last_turn = now;
          return recorded_statuses().size() == 2;
        },
        60s);
    EXPECT_TRUE(ended) << one.name;
    // The window's thread kept turning while the worker dealt with the page.
    EXPECT_LT(longest_turn, 500ms) << one.name;
    main_window_widget()->close();
  }
  set_http_transport_limits(saved);
}

}  // namespace
