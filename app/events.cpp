#include "app/events.h"

#include <cstdint>

#include "app/publisher.h"
#include "platform/gui_controls.h"
#include "platform/threads.h"
#include "platform/url_opener.h"
#include "search/magnet.h"
#include "search/result_search.h"
#include "search/shared_state.h"
#include "text/gbk_literal.h"

namespace {

const Text& hit_list() {
  return "超级列表框1"_gbk;
}
const Text& advert_label() {
  return "透明标签4"_gbk;
}

// The window's own pseudo-random source: the same sequence of colours in every run. Only the
// colour tick draws from it, on the window's thread.
int next_random() {
  static std::uint32_t state = 1;
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

int random_component() {
  return next_random() % 256;
}

}  // namespace

void on_main_window_created() {
  on_search_button_clicked();
}

void on_search_button_clicked() {
  start_detached_thread(search_first_page);
}

void on_append_button_clicked() {
  search_page(++current_page, true);
}

void on_next_page_button_clicked() {
  search_page(++current_page, false);
}

void on_list_double_clicked() {
  int row = selected_row(hit_list());
  if (row == -1) return;
  store_selected_link(cell_text(hit_list(), row, 1));
  start_detached_thread(resolve_magnet);
}

void on_hint_label_pressed() {
  on_append_button_clicked();
}

void on_advert_label_pressed() {
  open_url(publisher_address);
}

void on_clock_tick() {
  int red = random_component();
  int green = random_component();
  int blue = random_component();
  set_control_text_colour(advert_label(), red + 256 * green + 65536 * blue);
}
