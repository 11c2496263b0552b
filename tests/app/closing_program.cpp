// The tool as its main runs it, against the site named by its one argument, with its window
// closed from outside once the first search is under way. It reports on standard output when it
// asks for the close and when the exit routines run.

#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/start_up.h"
#include "platform/gui_qt.h"
#include "platform/gui_window.h"
#include "search/shared_state.h"
#include "tests/support/tool_test_support.h"

namespace {

void say(const std::string& line) {
  std::string text = line + "\n";
  [[maybe_unused]] ssize_t written = write(STDOUT_FILENO, text.data(), text.size());
}

// Registered before the program's own exit routine, so it runs after it.
void report_exit() {
  say("exit routine ran, link [" + selected_link_copy() + "]");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  point_search_site_at(argv[1]);
  int close_after_milliseconds = std::stoi(argv[2]);
  store_selected_link("http://127.0.0.1/d/left-over/");
  register_exit_routine(report_exit);
  std::thread([close_after_milliseconds] {
    std::this_thread::sleep_for(std::chrono::milliseconds(close_after_milliseconds));
    say("closing");
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {
      if (QWidget* window = main_window_widget()) window->close();
    });
  }).detach();
  return start_up();
}
