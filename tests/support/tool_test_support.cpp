#include "tests/support/tool_test_support.h"

#include <QTableWidget>
#include <atomic>
#include <mutex>
#include <thread>

#include "platform/gui_controls.h"
#include "platform/gui_qt.h"
#include "platform/url_opener.h"
#include "search/site_base.h"
#include "text/code_pages.h"
#include "text/gbk_literal.h"

namespace {

struct Recordings {
  std::mutex guard;
  Text site_base;
  std::vector<Text> statuses;
  std::vector<std::string> opened_urls;
};

// Workers of a test may outlive it by a moment, so the recordings are never destroyed.
Recordings& recordings() {
  static Recordings& the_recordings = *new Recordings;
  return the_recordings;
}

void record_status(const Text& control, const Text& text) {
  if (control != "透明标签1"_gbk) return;
  std::lock_guard lock(recordings().guard);
  recordings().statuses.push_back(text);
}

void record_opened_url(const std::string& utf8_text) {
  std::lock_guard lock(recordings().guard);
  recordings().opened_urls.push_back(utf8_text);
}

}  // namespace

const Text& search_site_base() {
  // Set before any search starts and not changed while one runs.
  return recordings().site_base;
}

void point_search_site_at(const std::string& base) {
  recordings().site_base = base;
}

void start_recording_statuses() {
  {
    std::lock_guard lock(recordings().guard);
    recordings().statuses.clear();
  }
  observe_text_writes(record_status);
}

std::vector<Text> recorded_statuses() {
  std::lock_guard lock(recordings().guard);
  return recordings().statuses;
}

void start_recording_opened_urls() {
  {
    std::lock_guard lock(recordings().guard);
    recordings().opened_urls.clear();
  }
  url_launcher = record_opened_url;
}

std::vector<std::string> recorded_opened_urls() {
  std::lock_guard lock(recordings().guard);
  return recordings().opened_urls;
}

std::vector<ListedRow> listed_rows() {
  std::vector<ListedRow> rows;
  auto* list = qobject_cast<QTableWidget*>(control_object("超级列表框1"_gbk));
  if (list == nullptr) return rows;
  for (int row = 0; row < list->rowCount(); ++row) {
    rows.emplace_back(cell_text("超级列表框1"_gbk, row, 0), cell_text("超级列表框1"_gbk, row, 1));
  }
  return rows;
}

std::vector<ListedRow> demo_site_rows(const std::string& keyword, int page,
                                      const std::string& site_address) {
  std::vector<ListedRow> rows;
  for (int index = 0; index < hit_count(keyword, page); ++index) {
    rows.emplace_back(utf8_to_gbk(hit_title(keyword, page, index)),
                      site_address + "/d/" + hit_info_hash(keyword, page, index) + "/");
  }
  return rows;
}

bool dispatch_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wait_dispatching_events(5);
  }
  return true;
}

void run_on_worker(void (*routine)()) {
  std::atomic<bool> finished = false;
  std::thread worker([&] {
    routine();
    finished = true;
  });
  dispatch_until([&] { return finished.load(); }, std::chrono::minutes(5));
  worker.join();
}

std::string site_address(const RunningSite& site) {
  return "http://127.0.0.1:" + std::to_string(site.port);
}
