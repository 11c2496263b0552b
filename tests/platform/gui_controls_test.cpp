#include "platform/gui_controls.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/gui_qt.h"
#include "tests/support/sample_window.h"
#include "text/gbk_literal.h"

namespace {

using namespace std::chrono_literals;

class GuiControls : public testing::Test {
 protected:
  void SetUp() override { open_sample_window(); }
  void TearDown() override {
    if (QWidget* window = main_window_widget()) window->close();
  }

  static QTableWidget* list() { return qobject_cast<QTableWidget*>(control_object(sample_list)); }
};

// Keeps the window's events flowing until the future is ready or the time is up.
bool ready_within(std::future<void>& future, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (future.wait_for(0ms) != std::future_status::ready) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wait_dispatching_events(10);
  }
  return true;
}

TEST_F(GuiControls, TextsTravelAsGbkBothWays) {
  struct Case {
    Text control;
    Text text;
    QString shown;
  };
  const Case cases[] = {
      {sample_label, "双击表项 立即解析磁力链接"_gbk,
       QString::fromUtf8("双击表项 立即解析磁力链接")},
      {sample_label, Text(), QString()},
      {sample_edit_box, "现正为第（2）页"_gbk, QString::fromUtf8("现正为第（2）页")},
      {sample_button, "搜  索"_gbk, QString::fromUtf8("搜  索")},
      {sample_edit_box, Text("ab\0cd", 5), QStringLiteral("ab")},
  };
  for (const Case& c : cases) {
    set_control_text(c.control, c.text);
    QObject* control = control_object(c.control);
    EXPECT_EQ(control->property("text").toString(), c.shown) << c.control;
    EXPECT_EQ(control_text(c.control), gbk_text(c.shown)) << c.control;
  }
}

TEST_F(GuiControls, ColourNumberHoldsRedGreenAndBlue) {
  set_control_text_colour(sample_label, 41 + 256 * 35 + 65536 * 190);
  auto* label = qobject_cast<QLabel*>(control_object(sample_label));
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(41, 35, 190));
  set_control_text_colour(sample_label, 0xFFFFFF);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 255, 255));
}

TEST_F(GuiControls, RowsAndCells) {
  EXPECT_EQ(add_row(sample_list), 0);
  EXPECT_EQ(add_row(sample_list), 1);
  set_cell_text(sample_list, 1, 0, "标题"_gbk);
  set_cell_text(sample_list, 1, 1, "http://127.0.0.1/详情"_gbk);
  EXPECT_EQ(cell_text(sample_list, 1, 0), "标题"_gbk);
  EXPECT_EQ(cell_text(sample_list, 1, 1), "http://127.0.0.1/详情"_gbk);
  EXPECT_EQ(cell_text(sample_list, 0, 1), Text());
  EXPECT_EQ(list()->item(1, 1)->text(), QString::fromUtf8("http://127.0.0.1/详情"));

  // Cells outside the list are neither written nor read.
  for (auto [row, column] : {std::pair{2, 0}, {-1, 0}, {0, 2}, {0, -1}}) {
    set_cell_text(sample_list, row, column, "x"_gbk);
    EXPECT_EQ(cell_text(sample_list, row, column), Text()) << row << "," << column;
  }
  EXPECT_EQ(list()->rowCount(), 2);

  EXPECT_EQ(selected_row(sample_list), -1);
  list()->selectRow(1);
  EXPECT_EQ(selected_row(sample_list), 1);

  delete_all_rows(sample_list);
  EXPECT_EQ(list()->rowCount(), 0);
  EXPECT_EQ(selected_row(sample_list), -1);
  EXPECT_EQ(add_row(sample_list), 0);
}

TEST_F(GuiControls, NamesOfOtherKindsOrNoControlChangeNothing) {
  EXPECT_EQ(add_row(sample_label), -1);
  EXPECT_EQ(selected_row(sample_edit_box), -1);
  EXPECT_EQ(cell_text(sample_button, 0, 0), Text());
  EXPECT_EQ(control_text(sample_list), Text());
  EXPECT_EQ(control_text("无此控件"_gbk), Text());
  set_control_text("无此控件"_gbk, "x"_gbk);
  set_control_text_colour("无此控件"_gbk, 255);
  delete_all_rows(sample_edit_box);
  EXPECT_EQ(control_text(sample_edit_box), "关键词"_gbk);
}

TEST_F(GuiControls, WorkersSeeEachOperationTakeEffectInTheOrderIssued) {
  constexpr int worker_count = 4;
  constexpr int rows_per_worker = 150;
  std::vector<std::future<void>> workers;
  std::atomic<int> mismatches{0};
  for (int worker = 0; worker < worker_count; ++worker) {
    workers.push_back(std::async(std::launch::async, [worker, &mismatches] {
      for (int i = 0; i < rows_per_worker; ++i) {
        const Text title = std::to_string(worker) + "-" + std::to_string(i);
        const int row = add_row(sample_list);
        set_cell_text(sample_list, row, 0, title);
        set_cell_text(sample_list, row, 1, "链接"_gbk + title);
        set_control_text(sample_label, title);
        if (cell_text(sample_list, row, 0) != title) mismatches++;
      }
    }));
  }
  for (auto& worker : workers) ASSERT_TRUE(ready_within(worker, 60s));

  EXPECT_EQ(mismatches, 0);
  ASSERT_EQ(list()->rowCount(), worker_count * rows_per_worker);
  std::vector<int> next_of_worker(worker_count, 0);
  for (int row = 0; row < list()->rowCount(); ++row) {
    const Text title = cell_text(sample_list, row, 0);
    const int worker = std::stoi(title);
    const int i = std::stoi(title.substr(title.find('-') + 1));
    EXPECT_EQ(i, next_of_worker[worker]) << "row " << row;
    next_of_worker[worker] = i + 1;
    EXPECT_EQ(cell_text(sample_list, row, 1), "链接"_gbk + title);
  }
}

TEST_F(GuiControls, AListFilledByAWorkerIsPaintedAgainOnceTheRowsStop) {
  std::future<void> worker = std::async(std::launch::async, [] {
    for (int i = 0; i < 50; ++i) {
      const int row = add_row(sample_list);
      set_cell_text(sample_list, row, 0, std::to_string(i));
    }
  });
  ASSERT_TRUE(ready_within(worker, 30s));
  // Painting is held back while rows arrive, and must come back by itself afterwards.
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!list()->updatesEnabled() && std::chrono::steady_clock::now() < deadline) {
    wait_dispatching_events(10);
  }
  EXPECT_TRUE(list()->updatesEnabled());
  EXPECT_TRUE(list()->viewport()->updatesEnabled());
  EXPECT_EQ(list()->rowCount(), 50);
}

TEST_F(GuiControls, AfterTheCloseEveryOperationReturnsAtOnceWithoutEffect) {
  set_control_text(sample_label, "旧"_gbk);
  main_window_widget()->close();
  auto after_close = [] {
    set_control_text(sample_label, "新"_gbk);
    EXPECT_EQ(control_text(sample_label), Text());
    EXPECT_EQ(add_row(sample_list), -1);
    EXPECT_EQ(cell_text(sample_list, 0, 0), Text());
    EXPECT_EQ(selected_row(sample_list), -1);
    delete_all_rows(sample_list);
    set_control_text_colour(sample_label, 255);
  };
  after_close();
  auto worker = std::async(std::launch::async, after_close);
  EXPECT_EQ(worker.wait_for(5s), std::future_status::ready);

  const auto start = std::chrono::steady_clock::now();
  wait_dispatching_events(3000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST_F(GuiControls, ClosingLetsGoAWorkerThatWaitsForTheWindowThread) {
  // The window's thread dispatches nothing while the worker's call waits, then closes the window.
  auto worker = std::async(std::launch::async, [] { return add_row(sample_list); });
  EXPECT_EQ(worker.wait_for(200ms), std::future_status::timeout);
  QTableWidget* table = list();
  main_window_widget()->close();
  ASSERT_EQ(worker.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(worker.get(), -1);
  EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(GuiControls, WorkersBusyAcrossTheCloseEndWithoutHangOrCrash) {
  std::vector<std::future<void>> workers;
  for (int worker = 0; worker < 4; ++worker) {
    workers.push_back(std::async(std::launch::async, [] {
      for (int i = 0; i < 3000; ++i) {
        const int row = add_row(sample_list);
        set_cell_text(sample_list, row, 0, "行"_gbk);
        set_control_text(sample_label, control_text(sample_edit_box));
        if (i % 64 == 0) delete_all_rows(sample_list);
      }
    }));
  }
  wait_dispatching_events(150);
  main_window_widget()->close();
  for (auto& worker : workers) EXPECT_EQ(worker.wait_for(10s), std::future_status::ready);
}

}  // namespace
