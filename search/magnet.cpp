#include "search/magnet.h"

#include "platform/gui_controls.h"
#include "platform/url_opener.h"
#include "search/shared_state.h"
#include "text/gbk_literal.h"
#include "text/text_between.h"
#include "text/text_search.h"
#include "text/url_coding.h"
#include "web/http_request.h"

namespace {

// The detail page's markup around the link, matched byte for byte.
const Text& magnet_start_marker() {
  return "BTUP在线观看</a>\r\n<a href=\""_gbk;
}
const Text& magnet_end_marker() {
  return "\">磁力链接</a>"_gbk;
}

const Text& status_label() {
  return "透明标签1"_gbk;
}

// Only a magnet link is handed on: whatever else a remote page holds between the markers is not
// given to the opener.
bool is_magnet_link(const Text& link) {
  return find_text(link, "magnet:?"_gbk, 1, true) == 1;
}

}  // namespace

void resolve_magnet() {
  // A later double-click may replace the shared link while this one is still at work.
  Text address = selected_link_copy();
  set_control_text(status_label(), "开始解析.."_gbk);
  Text page = url_decode(fetch_text(address), true);
  set_control_text(status_label(), "开始解析..."_gbk);
  Text link = text_between(page, magnet_start_marker(), magnet_end_marker());
  set_control_text(status_label(), "开始解析."_gbk);
  if (!is_magnet_link(link)) {
    set_control_text(status_label(), "解析失败，未找到磁力链接"_gbk);
    return;
  }
  open_url(link);
  set_control_text(status_label(), "解析完毕，已经打开磁力链接"_gbk);
}
