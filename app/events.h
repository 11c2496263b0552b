#pragma once
// The main window's event handlers.

void on_main_window_created();
void on_search_button_clicked();     // 按钮1
void on_append_button_clicked();     // 按钮2
void on_next_page_button_clicked();  // 按钮3
void on_list_double_clicked();       // 超级列表框1
void on_hint_label_pressed();        // 透明标签2
void on_advert_label_pressed();      // 透明标签4
void on_clock_tick();                // 时钟1
