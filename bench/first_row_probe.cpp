// Opens the tool's window as the program does and prints, as nanoseconds of the system clock,
// the moment the first row of the first search is listed; then ends at once. bench/run-tool-bench
// starts it over and over against the demo site.

#include <QAbstractItemModel>
#include <QTableWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "platform/gui_qt.h"
#include "platform/gui_window.h"
#include "search/shared_state.h"
#include "text/gbk_literal.h"

int main() {
  register_exit_routine(release_shared_state);
  create_main_window();
  auto* list = qobject_cast<QTableWidget*>(control_object("超级列表框1"_gbk));
  if (list == nullptr) return 1;
  QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [] {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
    std::fflush(stdout);
    // The rest of the page does not matter here.
    std::_Exit(0);
  });
  run_message_loop();
  return 2;
}
