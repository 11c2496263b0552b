#include "search/result_search.h"

#include <string>

#include "platform/gui_controls.h"
#include "regex/regex_object.h"
#include "search/shared_state.h"
#include "search/site_base.h"
#include "text/gbk_literal.h"
#include "text/url_coding.h"
#include "web/http_request.h"

namespace {

// One hit: an anchor followed at once by the next list item, all on one line.
const Text& result_item_pattern() {
  return "<a href=\"(.*?)\">(.*?)</a></li><li>"_gbk;
}

const Text& keyword_box() {
  return "编辑框1"_gbk;
}
const Text& hit_list() {
  return "超级列表框1"_gbk;
}
const Text& status_label() {
  return "透明标签1"_gbk;
}

Text result_page_address(int page_number) {
  Text keyword = control_text(keyword_box());
  return search_site_base() + "/s/"_gbk + url_encode(keyword, false, true) + "/"_gbk +
         std::to_string(page_number) + "/"_gbk;
}

void list_hits(RegexObject& hits) {
  int count = hits.match_count();
  for (int match = 1; match <= count; ++match) {
    int row = add_row(hit_list());
    set_cell_text(hit_list(), row, 0, hits.submatch_text(match, 2));
    set_cell_text(hit_list(), row, 1, hits.submatch_text(match, 1));
  }
}

// The status once the list is filled; a page that could not be fetched says so.
const Text& listed_status(bool fetched) {
  return fetched ? "双击表项 立即解析磁力链接"_gbk : "获取失败，请稍后重试"_gbk;
}

}  // namespace

void search_first_page() {
  RegexObject hits;
  Text page = fetch_text(result_page_address(1));
  bool fetched = !page.empty();
  page = url_decode(page, true);
  hits.create(result_item_pattern(), page);
  set_control_text(status_label(), fetched ? "获取完毕"_gbk : "获取失败"_gbk);
  delete_all_rows(hit_list());
  current_page = 1;
  list_hits(hits);
  set_control_text(status_label(), listed_status(fetched));
}

void search_page(int page_number, bool append) {
  RegexObject hits;
  Text page = fetch_text(result_page_address(page_number));
  bool fetched = !page.empty();
  page = url_decode(page, true);
  hits.create(result_item_pattern(), page);
  if (!append) delete_all_rows(hit_list());
  list_hits(hits);
  set_control_text(status_label(), listed_status(fetched));
  wait_dispatching_events(1000);
  // Read only now: a page asked for inside the wait is the one the indicator names.
  set_control_text(status_label(),
                   "现正为第（"_gbk + std::to_string(current_page.load()) + "）页"_gbk);
}
