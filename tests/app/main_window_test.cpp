#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGlyphRun>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <chrono>
#include <string_view>
#include <vector>

#include "app/publisher.h"
#include "platform/gui_controls.h"
#include "platform/gui_qt.h"
#include "text/gbk_literal.h"

namespace {

QString utf8(const char* text) {
  return QString::fromUtf8(text);
}

class MainWindow : public testing::Test {
 protected:
  void SetUp() override {
    create_main_window();
    window = main_window_widget();
    ASSERT_NE(window, nullptr);
    // The created event has started the first search, whose status texts reach the window only
    // once its events flow; these tests point it nowhere, so it fails at once.
    status_text_when_opened = control<QLabel>("透明标签1")->text();
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return control_text("透明标签1"_gbk) == "获取失败，请稍后重试"_gbk; }, 5000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // The window takes its outer size once the platform has reported the frame.
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return window->frameGeometry().size() == QSize(516, 619); }, 3000));
  }
  void TearDown() override {
    if (main_window_widget() != nullptr) main_window_widget()->close();
  }

  template <typename Widget = QWidget>
  Widget* control(const char* name) const {
    auto* found = window->findChild<Widget*>(utf8(name), Qt::FindDirectChildrenOnly);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  void activate() const {
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }

  QWidget* window = nullptr;
  QString status_text_when_opened;
};

TEST_F(MainWindow, CaptionFrameAndTitleBar) {
  EXPECT_EQ(window->windowTitle(), utf8("Fenlowe—") + qt_text(publisher_address));
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_EQ(window->windowType(), Qt::Window);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_LT(window->minimumSize().width(), window->maximumSize().width());
  EXPECT_LT(window->minimumSize().height(), window->maximumSize().height());
  EXPECT_FALSE(window->autoFillBackground() && window->palette().color(QPalette::Window) !=
                                                   QApplication::palette().color(QPalette::Window));
}

// The offscreen platform reports a thin frame, as a window manager would.
TEST_F(MainWindow, OuterSizeAndCentredPlace) {
  const QRect screen = window->screen()->geometry();
  const QMargins frame = window->windowHandle()->frameMargins();
  ASSERT_FALSE(frame.isNull());
  EXPECT_EQ(window->size(),
            QSize(516 - frame.left() - frame.right(), 619 - frame.top() - frame.bottom()));
  EXPECT_EQ(window->frameGeometry().size(), QSize(516, 619));
  EXPECT_EQ(window->frameGeometry().topLeft(),
            screen.topLeft() + QPoint((screen.width() - 516) / 2, (screen.height() - 619) / 2));
}

TEST_F(MainWindow, ControlsAtTheirPlacesWithTheirTexts) {
  struct Case {
    const char* name;
    const char* kind;
    QRect place;
    QString text;
    bool takes_tab_focus;
  };
  const QString advert = utf8("全国QQ业务批发平台:Velsor社区(") + qt_text(publisher_address) + ")";
  const Case cases[] = {
      {"透明标签3", "QLabel", {144, 16, 232, 24}, utf8("请配合，讯雷、QQ旋风等下载工具"), false},
      {"编辑框1", "QLineEdit", {95, 56, 240, 32}, utf8("毒战"), true},
      {"按钮1", "QPushButton", {351, 56, 80, 32}, utf8("搜  索"), true},
      {"透明标签1", "QLabel", {123, 120, 232, 24}, QString(), false},
      {"超级列表框1", "QTableWidget", {16, 177, 480, 280}, QString(), true},
      {"透明标签2", "QLabel", {56, 488, 184, 32}, utf8("如果搜索后没有结果请点此"), false},
      {"按钮3", "QPushButton", {309, 494, 80, 32}, utf8("下一页"), true},
      {"按钮2", "QPushButton", {408, 494, 80, 32}, utf8("加入下一页"), true},
      {"透明标签4", "QLabel", {32, 536, 400, 32}, advert, false},
  };
  for (const Case& c : cases) {
    QWidget* widget = control(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), c.kind) << c.name;
    EXPECT_EQ(widget->geometry(), c.place) << c.name;
    const bool status_line = std::string_view(c.name) == "透明标签1";
    EXPECT_EQ(status_line ? status_text_when_opened : widget->property("text").toString(), c.text)
        << c.name;
    EXPECT_EQ(bool(widget->focusPolicy() & Qt::TabFocus), c.takes_tab_focus) << c.name;
    EXPECT_TRUE(widget->isVisible()) << c.name;
    EXPECT_TRUE(widget->isEnabled()) << c.name;
  }
  EXPECT_EQ(window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
            std::size(cases));
}

// The families the program asks for, and the faces that Qt actually draws their Chinese with.
TEST_F(MainWindow, FontsAsRequestedAndChineseDrawnWithTheIntendedFace) {
  struct Case {
    const char* name;
    QString face;
    int character_height;
    int weight;
    bool underline;
    QString sample;
  };
  const QString sans = QStringLiteral("Noto Sans CJK SC");
  const QString serif = QStringLiteral("Noto Serif CJK SC");
  const Case cases[] = {
      {"透明标签3", sans, 12, 400, false, QString()},
      {"透明标签1", sans, 12, 400, false, utf8("双击表项 立即解析磁力链接")},
      {"透明标签2", serif, 12, 400, true, QString()},
      {"透明标签4", sans, 16, 700, false, QString()},
      {"编辑框1", sans, 16, 400, false, QString()},
      {"按钮1", sans, 12, 400, false, QString()},
      {"超级列表框1", sans, 12, 400, false, utf8("下站地址")},
  };
  for (const Case& c : cases) {
    QWidget* widget = control(c.name);
    ASSERT_NE(widget, nullptr);
    const QFont font = widget->font();
    EXPECT_EQ(QFontInfo(font).family(), c.face) << c.name;
    EXPECT_EQ(font.pixelSize(), c.character_height) << c.name;
    EXPECT_EQ(font.weight(), c.weight) << c.name;
    EXPECT_EQ(font.underline(), c.underline) << c.name;

    const QString text = c.sample.isEmpty() ? widget->property("text").toString() : c.sample;
    QString chinese;
    for (QChar character : text) {
      if (character.unicode() >= 0x3000) chinese += character;
    }
    ASSERT_FALSE(chinese.isEmpty()) << c.name;
    QTextLayout layout(chinese, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    ASSERT_FALSE(runs.isEmpty()) << c.name;
    for (const QGlyphRun& run : runs) {
      EXPECT_EQ(run.rawFont().familyName(), c.face) << c.name;
      EXPECT_EQ(run.rawFont().pixelSize(), c.character_height) << c.name;
      EXPECT_EQ(run.rawFont().weight(), c.weight) << c.name;
    }
  }
}

TEST_F(MainWindow, TransparentLabelsColoursAndAlignment) {
  struct Case {
    const char* name;
    QColor colour;
    Qt::Alignment horizontal;
  };
  const Case cases[] = {
      {"透明标签1", QColor(255, 0, 0), Qt::AlignHCenter},
      {"透明标签2", QColor(255, 0, 0), Qt::AlignLeft},
      {"透明标签3", QColor(255, 0, 0), Qt::AlignLeft},
      {"透明标签4", QColor(0, 0, 0), Qt::AlignLeft},
  };
  for (const Case& c : cases) {
    auto* label = control<QLabel>(c.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), c.colour) << c.name;
    EXPECT_EQ(label->alignment(), c.horizontal | Qt::AlignVCenter) << c.name;
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << c.name;
    EXPECT_FALSE(label->wordWrap()) << c.name;
    EXPECT_FALSE(label->autoFillBackground()) << c.name;
    EXPECT_EQ(label->frameShape(), QFrame::NoFrame) << c.name;
    EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor) << c.name;
    // The opening text is shown whole on its one line.
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << c.name;
  }
}

TEST_F(MainWindow, EditBox) {
  auto* edit_box = control<QLineEdit>("编辑框1");
  ASSERT_NE(edit_box, nullptr);
  EXPECT_EQ(edit_box->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
  EXPECT_TRUE(edit_box->hasFrame());
  EXPECT_FALSE(edit_box->isReadOnly());
  EXPECT_EQ(edit_box->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(edit_box->maxLength(), 32767);
  const QPalette palette = edit_box->palette();
  EXPECT_EQ(palette.color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(palette.color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight),
            palette.color(QPalette::Inactive, QPalette::Base));
}

TEST_F(MainWindow, ListColumnsAndLook) {
  auto* list = control<QTableWidget>("超级列表框1");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->columnCount(), 2);
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), utf8("标题"));
  EXPECT_EQ(list->horizontalHeaderItem(1)->text(), utf8("下站地址"));
  EXPECT_EQ(list->columnWidth(0), 200);
  EXPECT_EQ(list->columnWidth(1), 200);
  EXPECT_LT(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_TRUE(list->showGrid());
  EXPECT_TRUE(list->horizontalHeader()->isVisible());
  EXPECT_FALSE(list->verticalHeader()->isVisible());
  EXPECT_TRUE(list->horizontalHeader()->sectionsClickable());
  EXPECT_TRUE(list->horizontalHeader()->sectionsMovable());
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_EQ(list->frameShadow(), QFrame::Sunken);
  EXPECT_FALSE(list->viewport()->testAttribute(Qt::WA_Hover));
  const QPalette palette = list->palette();
  EXPECT_EQ(palette.color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(palette.color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight),
            palette.color(QPalette::Inactive, QPalette::Base));
}

TEST_F(MainWindow, ListSelectsOneWholeRowAndNeitherSortsNorEdits) {
  const Text list_name = "超级列表框1"_gbk;
  auto* list = control<QTableWidget>("超级列表框1");
  ASSERT_NE(list, nullptr);
  for (const char* title : {"丙", "甲", "乙"}) {
    const int row = add_row(list_name);
    set_cell_text(list_name, row, 0, gbk_text(utf8(title)));
    set_cell_text(list_name, row, 1, gbk_text(utf8("链接") + utf8(title)));
  }
  auto cell_centre = [&](int row, int column) {
    return list->visualRect(list->model()->index(row, column)).center();
  };

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell_centre(0, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, cell_centre(2, 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, cell_centre(1, 1));
  EXPECT_EQ(selected_row(list_name), 1);
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(list->selectionModel()->selectedIndexes().size(), 2);

  // A header click, on either column, changes nothing.
  QHeaderView* header = list->horizontalHeader();
  for (int column : {0, 1}) {
    const QPoint centre(header->sectionViewportPosition(column) + 100, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
  }
  const char* titles[] = {"丙", "甲", "乙"};
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(cell_text(list_name, row, 0), gbk_text(utf8(titles[row])));
  }
  EXPECT_EQ(selected_row(list_name), 1);

  // Neither a double-click nor the edit key opens an editor.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell_centre(1, 0));
  list->setFocus();
  QTest::keyClick(list, Qt::Key_F2);
  EXPECT_EQ(list->viewport()->findChild<QLineEdit*>(), nullptr);
  for (int column : {0, 1}) {
    const Qt::ItemFlags flags = list->item(1, column)->flags();
    EXPECT_FALSE(flags & Qt::ItemIsEditable);
    EXPECT_FALSE(flags & Qt::ItemIsUserCheckable);
  }
}

TEST(MainWindowKeys, EscapeClosesTheWindowFromEveryControlThatTakesTheFocus) {
  for (const char* name : {"编辑框1", "按钮1", "按钮2", "按钮3", "超级列表框1"}) {
    create_main_window();
    QWidget* window = main_window_widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* focus = window->findChild<QWidget*>(utf8(name));
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Escape);
    EXPECT_EQ(main_window_widget(), nullptr) << name;
    EXPECT_FALSE(window->isVisible()) << name;
  }
}

TEST_F(MainWindow, EnterAndF1DoNothing) {
  activate();
  auto* edit_box = control<QLineEdit>("编辑框1");
  std::vector<std::unique_ptr<QSignalSpy>> clicks;
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
    clicks.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
  }
  ASSERT_EQ(clicks.size(), 3u);
  edit_box->setFocus();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F1}) {
    QTest::keyClick(edit_box, key);
    EXPECT_EQ(QApplication::focusWidget(), edit_box) << key;
    EXPECT_EQ(main_window_widget(), window) << key;
  }
  EXPECT_EQ(edit_box->text(), utf8("毒战"));
  for (auto& spy : clicks) EXPECT_EQ(spy->count(), 0);
}

TEST_F(MainWindow, TabVisitsTheFiveControlsThatTakeTheFocus) {
  activate();
  // With rows in the list, Tab still leaves it rather than moving between its cells.
  const Text list_name = "超级列表框1"_gbk;
  for (int row = 0; row < 2; ++row) set_cell_text(list_name, add_row(list_name), 0, "行"_gbk);
  control("编辑框1")->setFocus();
  const char* order[] = {"按钮1", "超级列表框1", "按钮3", "按钮2", "编辑框1"};
  for (const char* name : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control(name)) << name;
  }
}

TEST_F(MainWindow, ResizingLeavesEveryControlInPlace) {
  std::vector<std::pair<QWidget*, QRect>> places;
  for (QWidget* child : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    places.emplace_back(child, child->geometry());
  }
  for (QSize size : {QSize(300, 200), QSize(900, 800), QSize(516, 619)}) {
    window->resize(size);
    QTest::qWait(20);
    ASSERT_EQ(window->size(), size);
    for (const auto& [child, place] : places) {
      EXPECT_EQ(child->geometry(), place) << child->objectName().toStdString();
    }
  }
}

TEST_F(MainWindow, ClockTicksEverySecondUntilTheClose) {
  auto* clock = window->findChild<QTimer*>(utf8("时钟1"));
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(clock->interval(), 1000);
  EXPECT_TRUE(clock->isActive());
  // Each tick is stamped when it is dispatched. A busy machine may dispatch any tick late, so
  // two periods are checked against one and a half: a clock running at half its period or
  // faster still fails.
  std::vector<std::chrono::steady_clock::time_point> tick_times;
  QObject stamps_receiver;  // declared after tick_times, so disconnected before it goes
  QObject::connect(clock, &QTimer::timeout, &stamps_receiver,
                   [&tick_times] { tick_times.push_back(std::chrono::steady_clock::now()); });
  QSignalSpy ticks(clock, &QTimer::timeout);
  while (ticks.count() < 3) ASSERT_TRUE(ticks.wait(5000));
  ASSERT_GE(tick_times.size(), 3u);
  EXPECT_GE(tick_times[2] - tick_times[0], std::chrono::milliseconds(1500));
  window->close();
  EXPECT_FALSE(clock->isActive());
}

}  // namespace
