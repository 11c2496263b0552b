#include "app/start_up.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/gui_controls.h"
#include "platform/gui_qt.h"
#include "text/gbk_literal.h"

namespace {

using namespace std::chrono_literals;

// From another thread, as a user would: once the window answers, close it on its own thread.
std::thread closer_once_the_window_answers() {
  const Text edit_box = "编辑框1"_gbk;
  const Text keyword = "毒战"_gbk;
  return std::thread([edit_box, keyword] {
    while (control_text(edit_box) != keyword) std::this_thread::sleep_for(10ms);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
          if (QWidget* window = main_window_widget()) window->close();
        },
        Qt::QueuedConnection);
  });
}

TEST(StartUp, RunsTheWindowUntilItClosesAndAnswersZero) {
  std::thread closer = closer_once_the_window_answers();
  EXPECT_EQ(start_up(), 0);
  closer.join();
  EXPECT_EQ(main_window_widget(), nullptr);
}

// A worker still busy with the controls when the window closes neither hangs nor crashes the
// program on its way out.
TEST(StartUp, ProgramEndsWhileAWorkerStillUsesTheControls) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const Text list = "超级列表框1"_gbk;
        const Text status = "透明标签1"_gbk;
        std::thread([list, status] {
          for (;;) {
            const int row = add_row(list);
            set_cell_text(list, row, 0, status);
            set_control_text(status, cell_text(list, row, 0));
          }
        }).detach();
        std::thread([] {
          std::this_thread::sleep_for(30s);
          std::_Exit(3);
        }).detach();
        std::thread closer = closer_once_the_window_answers();
        const int answer = start_up();
        closer.join();
        std::exit(answer);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
