#include "app/events.h"

void on_main_window_created() {}
void on_search_button_clicked() {}
void on_append_button_clicked() {}
void on_next_page_button_clicked() {}
void on_list_double_clicked() {}
void on_hint_label_pressed() {}
void on_advert_label_pressed() {}
void on_clock_tick() {}
