#include "platform/gui_controls.h"

#include <QAbstractButton>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPalette>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/code_page.h"
#include "platform/gui_qt.h"

namespace {

struct PendingOperation {
  std::function<void()> operation;
  bool finished = false;
};

// Workers still running when the program ends may call in at any time, so the gate is never
// destroyed.
struct ControlGate {
  std::mutex mutex;
  std::condition_variable finished;
  bool open = false;
  QObject* window_context = nullptr;
  std::deque<std::shared_ptr<PendingOperation>> pending;
  std::atomic<std::thread::id> window_thread;
};

ControlGate& gate() {
  static ControlGate& the_gate = *new ControlGate;
  return the_gate;
}

void run_pending_operations() {
  ControlGate& the_gate = gate();
  for (;;) {
    std::shared_ptr<PendingOperation> next;
    {
      std::lock_guard lock(the_gate.mutex);
      if (the_gate.pending.empty()) return;
      next = the_gate.pending.front();
      the_gate.pending.pop_front();
    }
    next->operation();
    {
      std::lock_guard lock(the_gate.mutex);
      next->finished = true;
    }
    the_gate.finished.notify_all();
  }
}

// Runs the operation on the window's thread and answers once it has run, or at once without
// running it when no window is open. A caller waiting when the window closes is let go.
void run_on_window_thread(std::function<void()> operation) {
  ControlGate& the_gate = gate();
  std::unique_lock lock(the_gate.mutex);
  if (!the_gate.open) return;
  if (on_window_thread()) {
    lock.unlock();
    operation();
    return;
  }
  auto pending = std::make_shared<PendingOperation>(std::move(operation));
  the_gate.pending.push_back(pending);
  QMetaObject::invokeMethod(the_gate.window_context, &run_pending_operations, Qt::QueuedConnection);
  the_gate.finished.wait(lock, [&] { return pending->finished; });
}

QTableWidget* list_named(const Text& name) {
  return qobject_cast<QTableWidget*>(control_object(name));
}

QTableWidgetItem* cell_item(QTableWidget* list, int row, int column) {
  if (list == nullptr || row < 0 || row >= list->rowCount() || column < 0 ||
      column >= list->columnCount()) {
    return nullptr;
  }
  return list->item(row, column);
}

// A worker's rows arrive one call at a time, and the window would repaint the list after every
// one of them: a page of 1,000 hits took seconds. While a worker writes to the list, it is
// repainted at most every 20 ms instead.
void hold_painting_while_a_worker_writes(QTableWidget* table, bool from_worker) {
  if (!from_worker || !table->updatesEnabled()) return;
  table->setUpdatesEnabled(false);
  QTimer::singleShot(20, table, [table] { table->setUpdatesEnabled(true); });
}

}  // namespace

bool on_window_thread() {
  return std::this_thread::get_id() == gate().window_thread.load();
}

void open_control_gate(QObject* window_context) {
  ControlGate& the_gate = gate();
  std::lock_guard lock(the_gate.mutex);
  the_gate.window_thread = std::this_thread::get_id();
  the_gate.window_context = window_context;
  the_gate.open = true;
}

void close_control_gate() {
  ControlGate& the_gate = gate();
  {
    std::lock_guard lock(the_gate.mutex);
    the_gate.open = false;
    the_gate.window_context = nullptr;
    for (auto& pending : the_gate.pending) pending->finished = true;
    the_gate.pending.clear();
  }
  the_gate.finished.notify_all();
}

QString qt_text(const Text& gbk) {
  const int length = static_cast<int>(gbk.find('\0') == Text::npos ? gbk.size() : gbk.find('\0'));
  if (length == 0) return QString();
  const int unit_count = MultiByteToWideChar(CP_GBK, 0, gbk.data(), length, nullptr, 0);
  std::u16string units(static_cast<std::size_t>(unit_count), u'\0');
  MultiByteToWideChar(CP_GBK, 0, gbk.data(), length, units.data(), unit_count);
  return QString::fromUtf16(units.data(), unit_count);
}

Text gbk_text(const QString& text) {
  if (text.isEmpty()) return Text();
  const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
  const int unit_count = static_cast<int>(text.size());
  const int byte_count = WideCharToMultiByte(CP_GBK, 0, units, unit_count, nullptr, 0);
  Text gbk(static_cast<std::size_t>(byte_count), '\0');
  WideCharToMultiByte(CP_GBK, 0, units, unit_count, gbk.data(), byte_count);
  return gbk;
}

Text control_text(const Text& control) {
  Text text;
  run_on_window_thread([&] {
    QObject* object = control_object(control);
    if (auto* edit_box = qobject_cast<QLineEdit*>(object)) {
      text = gbk_text(edit_box->text());
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
      text = gbk_text(label->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
      text = gbk_text(button->text());
    }
  });
  return text;
}

namespace {

std::atomic<TextWriteObserver> text_write_observer = nullptr;

}  // namespace

void observe_text_writes(TextWriteObserver observer) { text_write_observer = observer; }

void set_control_text(const Text& control, const Text& text) {
  run_on_window_thread([&] {
    QObject* object = control_object(control);
    if (auto* edit_box = qobject_cast<QLineEdit*>(object)) {
      edit_box->setText(qt_text(text));
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
      label->setText(qt_text(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
      button->setText(qt_text(text));
    } else {
      return;
    }
    if (TextWriteObserver observer = text_write_observer) observer(control, text);
  });
}

void set_control_text_colour(const Text& control, int colour) {
  run_on_window_thread([&] {
    auto* widget = qobject_cast<QWidget*>(control_object(control));
    if (widget == nullptr) return;
    const QColor text_colour(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text_colour);
    palette.setColor(QPalette::Text, text_colour);
    palette.setColor(QPalette::ButtonText, text_colour);
    widget->setPalette(palette);
  });
}

void delete_all_rows(const Text& list) {
  const bool from_worker = !on_window_thread();
  run_on_window_thread([&] {
    QTableWidget* table = list_named(list);
    if (table == nullptr) return;
    hold_painting_while_a_worker_writes(table, from_worker);
    table->setRowCount(0);
  });
}

int add_row(const Text& list) {
  int row = -1;
  const bool from_worker = !on_window_thread();
  run_on_window_thread([&] {
    QTableWidget* table = list_named(list);
    if (table == nullptr) return;
    hold_painting_while_a_worker_writes(table, from_worker);
    row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < table->columnCount(); ++column) {
      auto* item = new QTableWidgetItem();
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
      table->setItem(row, column, item);
    }
  });
  return row;
}

void set_cell_text(const Text& list, int row, int column, const Text& text) {
  const bool from_worker = !on_window_thread();
  run_on_window_thread([&] {
    QTableWidget* table = list_named(list);
    if (QTableWidgetItem* item = cell_item(table, row, column)) {
      hold_painting_while_a_worker_writes(table, from_worker);
      item->setText(qt_text(text));
    }
  });
}

Text cell_text(const Text& list, int row, int column) {
  Text text;
  run_on_window_thread([&] {
    if (QTableWidgetItem* item = cell_item(list_named(list), row, column)) {
      text = gbk_text(item->text());
    }
  });
  return text;
}

int selected_row(const Text& list) {
  int row = -1;
  run_on_window_thread([&] {
    QTableWidget* table = list_named(list);
    if (table == nullptr) return;
    for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
      if (row == -1 || index.row() < row) row = index.row();
    }
  });
  return row;
}
