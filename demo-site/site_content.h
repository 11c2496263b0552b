#pragma once
// The demo result site's pages, generated from the request alone: the same request always gets
// the same page. Pages are UTF-8. The site knows nothing of the tool's own text types on purpose:
// it stands for the outside site and shares no code with the program that reads it.

#include <string>

struct SitePage {
  int status = 200;
  std::string content_type = "text/html; charset=utf-8";
  std::string body;
};

// Hits on every full result page when the caller does not ask for another number.
constexpr int default_hits_per_page = 20;

// The site's address as its own links spell it, e.g. "http://127.0.0.1:47321".
// `request_target` is the raw request target (path and query, escapes undecoded).
//   /s/<keyword's percent-encoded UTF-8>/<n>/   result page n of the keyword
//   /d/<40 hexadecimal digits>/                 a hit's detail page with its magnet link
//   /                                           a start page
// A keyword that is not valid UTF-8, an empty keyword and a page number past the last page get a
// result page without hits; any other target gets 404.
SitePage site_page(const std::string& request_target, const std::string& site_address,
                   int hits_per_page = default_hits_per_page);

// How many result pages with hits a keyword (raw UTF-8 bytes) has; never fewer than 3.
int result_page_count(const std::string& keyword);

// The 40 lowercase hexadecimal digits of the info hash of hit `index` (from 0) on page `page`.
std::string hit_info_hash(const std::string& keyword, int page, int index);

// The title of a hit as a reader sees it once the page's percent escapes are decoded; the page
// writes some titles with escapes and some with a bold tag around the keyword.
std::string hit_title(const std::string& keyword, int page, int index);

// How many hits result page `page` of the keyword holds (0 past the last page).
int hit_count(const std::string& keyword, int page, int hits_per_page = default_hits_per_page);

// The magnet link that the detail page of `info_hash` carries, as the page writes it.
std::string magnet_link_for(const std::string& info_hash);

// The markers that enclose the magnet link on a detail page.
inline const std::string magnet_link_opening = "BTUP在线观看</a>\r\n<a href=\"";
inline const std::string magnet_link_closing = "\">磁力链接</a>";
