#include "tests/search/search_window.h"

#include <QWidget>

#include "platform/gui_qt.h"
#include "platform/gui_window.h"
#include "text/gbk_literal.h"

namespace {

ControlLayout control(ControlKind kind, const Text& name, int top, int height) {
  ControlLayout layout;
  layout.kind = kind;
  layout.name = name;
  layout.left = 16;
  layout.top = top;
  layout.width = 480;
  layout.height = height;
  return layout;
}

}  // namespace

void open_search_window() {
  WindowLayout window;
  window.caption = "search"_gbk;
  window.outer_width = 516;
  window.outer_height = 619;
  ControlLayout keyword_box = control(ControlKind::edit_box, "编辑框1"_gbk, 16, 32);
  keyword_box.text = "毒战"_gbk;
  ControlLayout hit_list = control(ControlKind::list_view, "超级列表框1"_gbk, 120, 280);
  hit_list.columns = {{"标题"_gbk, 200}, {"下站地址"_gbk, 200}};
  window.controls = {keyword_box, control(ControlKind::label, "透明标签1"_gbk, 64, 24), hit_list};
  create_window(window);
}

void close_search_window() {
  if (QWidget* window = main_window_widget()) window->close();
}
