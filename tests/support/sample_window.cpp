#include "tests/support/sample_window.h"

#include "platform/gui_controls.h"

SampleEvents& sample_events() {
  static SampleEvents events;
  return events;
}

namespace {

void count_created() {
  sample_events().created++;
  sample_events().edit_text_when_created = control_text(sample_edit_box);
}
void count_label_pressed() {
  sample_events().label_pressed++;
}
void count_button_clicked() {
  sample_events().button_clicked++;
}
void count_list_double_clicked() {
  sample_events().list_double_clicked++;
}
void count_tick() {
  sample_events().ticks++;
}

ControlLayout control(ControlKind kind, const Text& name, int left, int top, int width, int height,
                      const Text& text, EventHandler handler) {
  ControlLayout layout = placed_control(kind, name, left, top, width, height, text);
  layout.on_event = handler;
  return layout;
}

}  // namespace

void open_sample_window(int timer_period_milliseconds) {
  SampleEvents& events = sample_events();
  events.created = events.label_pressed = events.button_clicked = 0;
  events.list_double_clicked = events.ticks = 0;
  events.edit_text_when_created.clear();

  WindowLayout window;
  window.caption = "样本"_gbk;
  window.outer_width = 400;
  window.outer_height = 300;
  window.on_created = count_created;
  ControlLayout label = control(ControlKind::label, sample_label, 10, 10, 220, 24,
                                "透明标签透明标签透明标签"_gbk, count_label_pressed);
  label.text_colour = 255;
  label.font = {"黑体"_gbk, 16, 700, false};
  ControlLayout list = control(ControlKind::list_view, sample_list, 10, 80, 300, 150, Text(),
                               count_list_double_clicked);
  list.columns = {{"甲"_gbk, 100}, {"乙"_gbk, 100}};
  ControlLayout timer = control(ControlKind::timer, sample_timer, 0, 0, 0, 0, Text(), count_tick);
  timer.period_milliseconds = timer_period_milliseconds;
  window.controls = {
      label,
      control(ControlKind::edit_box, sample_edit_box, 10, 40, 150, 28, "关键词"_gbk, nullptr),
      control(ControlKind::push_button, sample_button, 170, 40, 80, 28, "按"_gbk,
              count_button_clicked),
      list,
      timer,
  };
  create_window(window);
}
