#include "app/main_window.h"

#include "app/events.h"
#include "app/publisher.h"
#include "platform/gui_window.h"
#include "text/gbk_literal.h"

namespace {

constexpr int red = 255;
constexpr int black = 0;

ControlLayout label(const Text& name, int left, int top, int width, int height, const Text& text,
                    int colour, TextAlignment alignment, FontChoice font = {},
                    EventHandler on_pressed = nullptr) {
  ControlLayout control = placed_control(ControlKind::label, name, left, top, width, height, text);
  control.text_colour = colour;
  control.alignment = alignment;
  control.font = font;
  control.on_event = on_pressed;
  return control;
}

ControlLayout push_button(const Text& name, int left, int top, const Text& text,
                          EventHandler on_clicked) {
  ControlLayout control = placed_control(ControlKind::push_button, name, left, top, 80, 32, text);
  control.alignment = TextAlignment::centre;
  control.on_event = on_clicked;
  return control;
}

ControlLayout keyword_box() {
  ControlLayout control =
      placed_control(ControlKind::edit_box, "编辑框1"_gbk, 95, 56, 240, 32, "毒战"_gbk);
  control.alignment = TextAlignment::centre;
  control.font = {"微软雅黑"_gbk, 16, 400, false};
  return control;
}

ControlLayout result_list() {
  ControlLayout control =
      placed_control(ControlKind::list_view, "超级列表框1"_gbk, 16, 177, 480, 280);
  control.columns = {{"标题"_gbk, 200}, {"下站地址"_gbk, 200}};
  control.on_event = on_list_double_clicked;
  return control;
}

ControlLayout clock() {
  ControlLayout control = placed_control(ControlKind::timer, "时钟1"_gbk, 0, 0, 0, 0);
  control.period_milliseconds = 1000;
  control.on_event = on_clock_tick;
  return control;
}

WindowLayout main_window() {
  WindowLayout window;
  window.caption = "Fenlowe—"_gbk + publisher_address;
  window.outer_width = 516;
  window.outer_height = 619;
  window.on_created = on_main_window_created;
  // In reading order, which is also the order in which Tab moves the focus.
  window.controls = {
      label("透明标签3"_gbk, 144, 16, 232, 24, "请配合，讯雷、QQ旋风等下载工具"_gbk, red,
            TextAlignment::left),
      keyword_box(),
      push_button("按钮1"_gbk, 351, 56, "搜  索"_gbk, on_search_button_clicked),
      label("透明标签1"_gbk, 123, 120, 232, 24, Text(), red, TextAlignment::centre),
      result_list(),
      label("透明标签2"_gbk, 56, 488, 184, 32, "如果搜索后没有结果请点此"_gbk, red,
            TextAlignment::left, {"宋体"_gbk, 12, 400, true}, on_hint_label_pressed),
      push_button("按钮3"_gbk, 309, 494, "下一页"_gbk, on_next_page_button_clicked),
      push_button("按钮2"_gbk, 408, 494, "加入下一页"_gbk, on_append_button_clicked),
      label("透明标签4"_gbk, 32, 536, 400, 32,
            "全国QQ业务批发平台:Velsor社区("_gbk + publisher_address + ")"_gbk, black,
            TextAlignment::left, {"黑体"_gbk, 16, 700, false}, on_advert_label_pressed),
      clock(),
  };
  return window;
}

}  // namespace

void create_main_window() {
  create_window(main_window());
}
