// Listing a result page of 1,000 hits from a worker thread: the whole first-page search (fetch
// from the demo site on loopback, decoding, matching, one row per hit carried to the window).

#include <benchmark/benchmark.h>

#include <QTableWidget>
#include <atomic>
#include <string>
#include <thread>

#include "demo-site/site_server.h"
#include "platform/gui_controls.h"
#include "platform/gui_qt.h"
#include "platform/gui_window.h"
#include "search/result_search.h"
#include "search/site_base.h"
#include "tests/search/search_window.h"
#include "text/gbk_literal.h"

namespace {

Text site_base;

void list_thousand_hit_page(benchmark::State& state) {
  RunningSite site = start_site(0, 1000);
  site_base = "http://127.0.0.1:" + std::to_string(site.port);
  open_search_window();
  auto* list = qobject_cast<QTableWidget*>(control_object("超级列表框1"_gbk));
  for (auto _ : state) {
    std::atomic<bool> finished = false;
    std::thread worker([&] {
      search_first_page();
      finished = true;
    });
    while (!finished) wait_dispatching_events(1);
    worker.join();
    if (list->rowCount() != 1000) state.SkipWithError("the page did not list 1,000 rows");
  }
  close_search_window();
  stop_site(site);
}

}  // namespace

const Text& search_site_base() {
  return site_base;
}

BENCHMARK(list_thousand_hit_page)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

BENCHMARK_MAIN();
