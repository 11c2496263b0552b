#include "platform/gui_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMargins>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/gui_controls.h"
#include "platform/gui_qt.h"

namespace {

// The window manager reports the frame some time after the window is mapped; until then, and
// without a window manager, the outer size is the client size.
constexpr int frame_poll_interval_ms = 20;
constexpr int frame_poll_attempts = 150;

QColor qt_colour(int colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// Answers each control's one event and notices the window closing.
class WindowEvents : public QObject {
 public:
  explicit WindowEvents(QWidget* window) : QObject(window), window_(window) {}

  void watch(QObject* object, QEvent::Type type, EventHandler handler) {
    handlers_[object] = {type, handler};
    object->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Watch {
    QEvent::Type type;
    EventHandler handler;
  };
  QWidget* window_;
  std::unordered_map<QObject*, Watch> handlers_;
};

struct WindowState {
  // The window last created; it is deleted once closed, when the message loop ends or the next
  // window is created.
  QPointer<QWidget> window;
  bool open = false;
  // Loops of the window's thread that end when the window closes: the message loop and waits.
  std::vector<QEventLoop*> running_loops;
};

WindowState& window_state() {
  static WindowState& state = *new WindowState;
  return state;
}

void window_closing(QWidget* window) {
  WindowState& state = window_state();
  if (state.window != window || !state.open) return;
  state.open = false;
  close_control_gate();
  for (QTimer* timer : window->findChildren<QTimer*>()) timer->stop();
  for (QEventLoop* loop : state.running_loops) loop->exit();
}

bool WindowEvents::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close) {
    window_closing(window_);
    return false;
  }
  auto found = handlers_.find(watched);
  if (found == handlers_.end() || event->type() != found->second.type) return false;
  if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) found->second.handler();
  return false;
}

// The application lives as long as the program: workers may outlast the window.
void ensure_application() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argument_count = 1;
  static char program_name[] = "fenlowe";
  static char* arguments[] = {program_name, nullptr};
  new QApplication(argument_count, arguments);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setFont(default_gui_font());
}

QString mapped_family(const Text& family) {
  const QString name = qt_text(family);
  if (name == u"宋体") return QStringLiteral("Noto Serif CJK SC");
  if (name == u"黑体" || name == u"微软雅黑") return QStringLiteral("Noto Sans CJK SC");
  return name;
}

Qt::Alignment qt_alignment(TextAlignment alignment) {
  return (alignment == TextAlignment::centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
}

// Black on white, with the selection highlight hidden while the control lacks the focus.
void use_plain_text_colours(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  widget->setPalette(palette);
}

QLabel* make_label(const ControlLayout& control, QWidget* window) {
  auto* label = new QLabel(qt_text(control.text), window);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  label->setAlignment(qt_alignment(control.alignment));
  label->setFrameShape(QFrame::NoFrame);
  label->setAutoFillBackground(false);
  label->setCursor(Qt::ArrowCursor);
  label->setFocusPolicy(Qt::NoFocus);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, qt_colour(control.text_colour));
  label->setPalette(palette);
  return label;
}

QLineEdit* make_edit_box(const ControlLayout& control, QWidget* window) {
  auto* edit_box = new QLineEdit(qt_text(control.text), window);
  edit_box->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  edit_box->setFrame(true);
  use_plain_text_colours(edit_box);
  return edit_box;
}

QPushButton* make_push_button(const ControlLayout& control, QWidget* window) {
  auto* button = new QPushButton(qt_text(control.text), window);
  button->setAutoDefault(false);
  button->setDefault(false);
  if (control.on_event != nullptr)
    QObject::connect(button, &QPushButton::clicked, control.on_event);
  return button;
}

QTableWidget* make_list_view(const ControlLayout& control, QWidget* window) {
  auto* list = new QTableWidget(0, static_cast<int>(control.columns.size()), window);
  QStringList headers;
  for (const ListColumn& column : control.columns) headers << qt_text(column.header);
  list->setHorizontalHeaderLabels(headers);
  for (int column = 0; column < list->columnCount(); ++column) {
    list->setColumnWidth(column, control.columns[static_cast<std::size_t>(column)].width);
  }
  QHeaderView* header = list->horizontalHeader();
  header->setVisible(true);
  header->setSectionsClickable(true);
  header->setSectionsMovable(true);
  header->setHighlightSections(false);
  header->setSortIndicatorShown(false);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list->verticalHeader()->setVisible(false);
  list->setSortingEnabled(false);
  list->setShowGrid(true);
  list->setWordWrap(false);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setTabKeyNavigation(false);
  list->setFrameShape(QFrame::StyledPanel);
  list->setFrameShadow(QFrame::Sunken);
  list->setMouseTracking(false);
  list->setAttribute(Qt::WA_Hover, false);
  list->viewport()->setAttribute(Qt::WA_Hover, false);
  use_plain_text_colours(list);
  return list;
}

QTimer* make_timer(const ControlLayout& control, QWidget* window) {
  auto* timer = new QTimer(window);
  timer->setInterval(control.period_milliseconds);
  timer->setTimerType(Qt::PreciseTimer);
  if (control.on_event != nullptr) QObject::connect(timer, &QTimer::timeout, control.on_event);
  return timer;
}

QPoint centred_origin(QScreen* screen, int outer_width, int outer_height) {
  const QRect area = screen->geometry();
  return QPoint(area.x() + (area.width() - outer_width) / 2,
                area.y() + (area.height() - outer_height) / 2);
}

// Once the window manager has reported the frame, sizes the client area so that the outer size
// is the one asked for, and centres the frame.
void fit_outer_size_when_framed(QWidget* window, int outer_width, int outer_height) {
  auto* poll = new QTimer(window);
  poll->setInterval(frame_poll_interval_ms);
  QObject::connect(poll, &QTimer::timeout, [=, attempts = 0]() mutable {
    QWindow* handle = window->windowHandle();
    const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    if (frame.isNull()) {
      if (++attempts >= frame_poll_attempts) poll->deleteLater();
      return;
    }
    window->resize(outer_width - frame.left() - frame.right(),
                   outer_height - frame.top() - frame.bottom());
    window->move(centred_origin(window->screen(), outer_width, outer_height));
    poll->deleteLater();
  });
  poll->start();
}

void destroy_window() {
  WindowState& state = window_state();
  if (state.window == nullptr) return;
  if (state.open) state.window->close();
  delete state.window;
}

}  // namespace

QFont default_gui_font() {
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setFamilies({QStringLiteral("Noto Sans CJK SC")});
  font.setPixelSize(12);
  font.setWeight(QFont::Normal);
  return font;
}

QFont qt_font(const FontChoice& choice) {
  if (choice.family.empty()) return default_gui_font();
  const QString family = mapped_family(choice.family);
  QFont font(family);
  font.setFamilies({family});
  font.setPixelSize(choice.character_height);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(choice.weight, 1, 1000)));
  font.setUnderline(choice.underline);
  return font;
}

ControlLayout placed_control(ControlKind kind, const Text& name, int left, int top, int width,
                             int height, const Text& text) {
  ControlLayout control;
  control.kind = kind;
  control.name = name;
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  control.text = text;
  return control;
}

namespace {

// The program's icon in every size its resources hold (under :/icons); a program without them
// shows the style's.
QIcon window_icon(const QStyle* style) {
  QIcon icon;
  QDirIterator files(":/icons", {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) icon.addFile(files.next());
  return icon.isNull() ? style->standardIcon(QStyle::SP_TitleBarMenuButton) : icon;
}

}  // namespace

QWidget* main_window_widget() {
  const WindowState& state = window_state();
  return state.open ? state.window.data() : nullptr;
}

QObject* control_object(const Text& name) {
  QWidget* window = main_window_widget();
  if (window == nullptr || name.empty()) return nullptr;
  return window->findChild<QObject*>(qt_text(name), Qt::FindDirectChildrenOnly);
}

void create_window(const WindowLayout& layout) {
  ensure_application();
  destroy_window();

  auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                          Qt::WindowCloseButtonHint);
  window->setWindowTitle(qt_text(layout.caption));
  window->setWindowIcon(window_icon(window->style()));
  auto* events = new WindowEvents(window);
  window->installEventFilter(events);

  for (const ControlLayout& control : layout.controls) {
    QObject* object = nullptr;
    switch (control.kind) {
      case ControlKind::label: {
        QLabel* label = make_label(control, window);
        if (control.on_event != nullptr) {
          events->watch(label, QEvent::MouseButtonPress, control.on_event);
        }
        object = label;
        break;
      }
      case ControlKind::edit_box:
        object = make_edit_box(control, window);
        break;
      case ControlKind::push_button:
        object = make_push_button(control, window);
        break;
      case ControlKind::list_view: {
        QTableWidget* list = make_list_view(control, window);
        if (control.on_event != nullptr) {
          events->watch(list->viewport(), QEvent::MouseButtonDblClick, control.on_event);
        }
        object = list;
        break;
      }
      case ControlKind::timer:
        object = make_timer(control, window);
        break;
    }
    object->setObjectName(qt_text(control.name));
    if (auto* widget = qobject_cast<QWidget*>(object)) {
      widget->setFont(qt_font(control.font));
      widget->setGeometry(control.left, control.top, control.width, control.height);
    }
  }

  // Esc closes the window from whichever control has the focus, as the close button does.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);

  QScreen* screen = QGuiApplication::primaryScreen();
  window->resize(layout.outer_width, layout.outer_height);
  window->move(centred_origin(screen, layout.outer_width, layout.outer_height));

  window_state().window = window;
  window_state().open = true;
  open_control_gate(window);
  window->show();
  fit_outer_size_when_framed(window, layout.outer_width, layout.outer_height);
  for (QTimer* timer : window->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
    if (timer->interval() > 0) timer->start();
  }
  if (layout.on_created != nullptr) layout.on_created();
}

void run_message_loop() {
  WindowState& state = window_state();
  if (!state.open) return;
  QEventLoop loop;
  state.running_loops.push_back(&loop);
  loop.exec();
  state.running_loops.pop_back();
  destroy_window();
}

void wait_dispatching_events(int milliseconds) {
  if (milliseconds <= 0) return;
  WindowState& state = window_state();
  if (!on_window_thread()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return;
  }
  if (!state.open) return;
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  state.running_loops.push_back(&loop);
  loop.exec();
  state.running_loops.erase(
      std::find(state.running_loops.begin(), state.running_loops.end(), &loop));
}

namespace {

std::mutex& exit_routines_mutex() {
  static std::mutex& mutex = *new std::mutex;
  return mutex;
}

std::vector<EventHandler>& exit_routines() {
  static std::vector<EventHandler>& routines = *new std::vector<EventHandler>;
  return routines;
}

// Later registrations run first, as the platform's exit handlers do.
void run_exit_routines() {
  std::vector<EventHandler> routines;
  {
    std::lock_guard lock(exit_routines_mutex());
    routines.swap(exit_routines());
  }
  std::for_each(routines.rbegin(), routines.rend(), [](EventHandler routine) { routine(); });
}

}  // namespace

void register_exit_routine(EventHandler routine) {
  if (routine == nullptr) return;
  std::lock_guard lock(exit_routines_mutex());
  [[maybe_unused]] static const bool installed = std::atexit(run_exit_routines) == 0;
  std::vector<EventHandler>& routines = exit_routines();
  if (std::find(routines.begin(), routines.end(), routine) == routines.end()) {
    routines.push_back(routine);
  }
}
