#include "platform/gui_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>

#include "platform/gui_controls.h"
#include "platform/gui_qt.h"
#include "tests/support/sample_window.h"
#include "text/gbk_literal.h"

namespace {

using namespace std::chrono_literals;

class GuiWindow : public testing::Test {
 protected:
  void TearDown() override {
    if (QWidget* window = main_window_widget()) window->close();
  }

  template <typename Widget>
  static Widget* control(const Text& name) {
    return qobject_cast<Widget*>(control_object(name));
  }
};

TEST_F(GuiWindow, CreatedFiresOnceWhenEveryControlExists) {
  open_sample_window();
  EXPECT_EQ(sample_events().created, 1);
  EXPECT_EQ(sample_events().edit_text_when_created, "关键词"_gbk);
  QTest::qWait(50);
  EXPECT_EQ(sample_events().created, 1);
}

TEST_F(GuiWindow, EachControlsEventReachesItsHandler) {
  open_sample_window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main_window_widget()));
  auto* label = control<QLabel>(sample_label);
  auto* button = control<QPushButton>(sample_button);
  auto* list = control<QTableWidget>(sample_list);

  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(sample_events().button_clicked, 1);

  QTest::mousePress(label, Qt::LeftButton);
  QTest::mouseRelease(label, Qt::LeftButton);
  EXPECT_EQ(sample_events().label_pressed, 1);
  QTest::mousePress(label, Qt::RightButton);
  QTest::mouseRelease(label, Qt::RightButton);
  EXPECT_EQ(sample_events().label_pressed, 1);

  // The double-click counts wherever it lands in the list, rows or not.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(250, 120));
  EXPECT_EQ(sample_events().list_double_clicked, 1);
  QTest::mouseDClick(list->viewport(), Qt::RightButton, {}, QPoint(250, 120));
  EXPECT_EQ(sample_events().list_double_clicked, 1);

  EXPECT_EQ(sample_events().created, 1);
  EXPECT_EQ(sample_events().ticks, 0);
}

TEST_F(GuiWindow, TimerTicksEveryPeriodUntilTheClose) {
  open_sample_window(40);
  auto* timer = control<QTimer>(sample_timer);
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 40);
  EXPECT_TRUE(timer->isActive());
  EXPECT_TRUE(QTest::qWaitFor([] { return sample_events().ticks >= 3; }, 5000));

  main_window_widget()->close();
  const int ticks_at_close = sample_events().ticks;
  QTest::qWait(200);
  EXPECT_EQ(sample_events().ticks, ticks_at_close);
}

// The label's part of the window as the backing store holds it, that is, as last painted.
QImage painted_label(QLabel* label) {
  QWidget* window = label->window();
  const QImage whole =
      window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  return whole.copy(QRect(label->mapTo(window, QPoint(0, 0)), label->size()));
}

TEST_F(GuiWindow, LabelDrawsOnlyItsTextAndLeavesNoTraceOfTheOld) {
  open_sample_window();
  QWidget* window = main_window_widget();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  auto* label = control<QLabel>(sample_label);
  const QRgb background = window->palette().color(QPalette::Window).rgb();
  const QRgb red = qRgb(255, 0, 0);

  QTest::qWait(50);
  const QImage before = painted_label(label);
  int red_pixels = 0;
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) red_pixels += before.pixel(x, y) == red;
  }
  ASSERT_GT(red_pixels, 50);

  set_control_text(sample_label, "透"_gbk);
  set_control_text_colour(sample_label, 0);
  QTest::qWait(50);
  const QImage after = painted_label(label);
  // One black glyph at the left; nothing red anywhere, and only the window beneath to its right.
  const int glyph_end = label->fontMetrics().horizontalAdvance(QString::fromUtf8("透")) + 2;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      const QRgb pixel = after.pixel(x, y);
      ASSERT_FALSE(qRed(pixel) > 128 && qGreen(pixel) < 100) << x << "," << y;
      if (x >= glyph_end) {
        ASSERT_EQ(pixel, background) << x << "," << y;
      }
    }
  }
}

TEST_F(GuiWindow, WaitKeepsEventsFlowingForItsWholeTime) {
  open_sample_window(40);
  auto worker = std::async(std::launch::async, [] { return add_row(sample_list); });
  const auto start = std::chrono::steady_clock::now();
  wait_dispatching_events(400);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
  ASSERT_EQ(worker.wait_for(0ms), std::future_status::ready);
  EXPECT_EQ(worker.get(), 0);
  EXPECT_GE(sample_events().ticks, 1);
}

TEST_F(GuiWindow, WaitEndsWhenTheWindowCloses) {
  open_sample_window();
  QTimer::singleShot(100, main_window_widget(), &QWidget::close);
  const auto start = std::chrono::steady_clock::now();
  wait_dispatching_events(10000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(main_window_widget(), nullptr);
}

TEST_F(GuiWindow, WaitOnAWorkerOnlySleeps) {
  open_sample_window();
  auto worker = std::async(std::launch::async, [] {
    const auto start = std::chrono::steady_clock::now();
    wait_dispatching_events(150);
    return std::chrono::steady_clock::now() - start;
  });
  EXPECT_GE(worker.get(), 150ms);
}

TEST_F(GuiWindow, MessageLoopRunsUntilTheWindowCloses) {
  open_sample_window(40);
  // The loop's own timer ticks close the window once three have arrived.
  QWidget* window = main_window_widget();
  auto* closer = new QTimer(window);
  QObject::connect(closer, &QTimer::timeout, [window] {
    if (sample_events().ticks >= 3) window->close();
  });
  closer->start(10);
  QTimer::singleShot(20000, window, &QWidget::close);
  const auto start = std::chrono::steady_clock::now();
  run_message_loop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  EXPECT_EQ(main_window_widget(), nullptr);
  EXPECT_GE(sample_events().ticks, 3);
  // With no window open there is no loop to run.
  run_message_loop();
}

void say_exit_routine_ran() {
  std::fputs("exit routine ran\n", stderr);
}

TEST(GuiExitRoutine, RunsOnceWhenTheProgramEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        register_exit_routine(say_exit_routine_ran);
        register_exit_routine(say_exit_routine_ran);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "^exit routine ran\n$");
}

}  // namespace
