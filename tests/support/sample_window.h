#pragma once
// A small window with one control of each kind, whose handlers count their events.

#include <atomic>

#include "platform/gui_window.h"
#include "text/gbk_literal.h"

struct SampleEvents {
  std::atomic<int> created{0};
  std::atomic<int> label_pressed{0};
  std::atomic<int> button_clicked{0};
  std::atomic<int> list_double_clicked{0};
  std::atomic<int> ticks{0};
  Text edit_text_when_created;
};

SampleEvents& sample_events();

inline const Text& sample_label = "标签"_gbk;
inline const Text& sample_edit_box = "编辑框"_gbk;
inline const Text& sample_button = "按钮"_gbk;
inline const Text& sample_list = "列表"_gbk;
inline const Text& sample_timer = "时钟"_gbk;

// Opens the sample window with the given timer period (0: the timer never fires).
void open_sample_window(int timer_period_milliseconds = 0);
