#pragma once
// What the search and window-event tests share: where the search routines look for the site,
// the texts the status label went through, the rows of the hit list, the magnet links handed to
// the URL opener, and waiting on the window's thread while its events keep flowing.

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "demo-site/site_server.h"
#include "text/types.h"

// The search routines ask search_site_base() for the site's address; in the tests it answers the
// address given here.
void point_search_site_at(const std::string& base);

// Every text written to 透明标签1 from now on, in order.
void start_recording_statuses();
std::vector<Text> recorded_statuses();

// What the URL opener was handed (UTF-8) since the recording started; nothing is started.
void start_recording_opened_urls();
std::vector<std::string> recorded_opened_urls();

// The rows of 超级列表框1: title and link.
using ListedRow = std::pair<Text, Text>;
std::vector<ListedRow> listed_rows();

// The rows that result page `page` of `keyword` (UTF-8) on the demo site at `site_address`
// lists, as the tool shows them (GBK).
std::vector<ListedRow> demo_site_rows(const std::string& keyword, int page,
                                      const std::string& site_address);

// On the window's thread: keeps the window's events flowing until `done` holds or `limit` has
// passed; answers whether `done` held.
bool dispatch_until(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(20));

// Runs `routine` on a thread of its own while the window's events keep flowing, and answers
// once it has returned.
void run_on_worker(void (*routine)());

// "http://127.0.0.1:PORT" of a running demo site.
std::string site_address(const RunningSite& site);
