#include "web/request_text.h"

#include "platform/http_client.h"
#include "text/text_between.h"
#include "text/text_search.h"
#include "web/http_request.h"

namespace {

// Rewrites, in place, every occurrence of `spelling` found with the ASCII letter case ignored.
Text respelled(Text text, const Text& spelling) {
  int position = find_text(text, spelling, 1, true);
  while (position != -1) {
    text.replace(static_cast<std::size_t>(position - 1), spelling.size(), spelling);
    position = find_text(text, spelling, position + static_cast<int>(spelling.size()), true);
  }
  return text;
}

Text without_ignoring_case(Text text, const Text& marker) {
  int position = find_text(text, marker, 1, true);
  while (position != -1) {
    text.erase(static_cast<std::size_t>(position - 1), marker.size());
    position = find_text(text, marker, position, true);
  }
  return text;
}

// The lines of a header block. Its line ends are bytes of the protocol, found wherever they stand:
// a value in another encoding may end in a byte that would begin a GBK character.
TextArray header_lines(const Text& headers) {
  TextArray lines;
  std::size_t start = 0;
  for (std::size_t end = headers.find("\r\n"); end != Text::npos;
       end = headers.find("\r\n", start)) {
    lines.push_back(headers.substr(start, end - start));
    start = end + 2;
  }
  if (start < headers.size()) lines.push_back(headers.substr(start));
  return lines;
}

bool contains(const Text& text, const Text& marker) {
  return find_text(text, marker) != -1;
}

}  // namespace

Text request_verb(int method) {
  switch (method) {
    case 1:
      return "POST";
    case 2:
      return "HEAD";
    default:
      return "GET";
  }
}

bool is_secure_address(const Text& address) {
  return to_lower_ascii(address.substr(0, 5)) == "https";
}

Text user_agent_for(const Text& headers) {
  if (find_text(headers, "User-Agent:", 1, true) == -1) {
    return "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
  }
  Text agent = trim_spaces(text_between(headers, "User-Agent:", "\r\n"));
  return agent.empty() ? value_after_colon(headers) : agent;
}

std::uint32_t request_flags(bool cookies_supplied, bool no_redirect, bool secure) {
  std::uint32_t flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
  if (cookies_supplied) flags |= INTERNET_FLAG_NO_COOKIES;
  if (no_redirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
  flags |= secure ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  return flags;
}

Text proxy_list_for(const Text& proxy, bool secure) {
  return secure ? proxy : "http=" + proxy;
}

Text completed_header_text(const Text& headers, const Text& address, const Text& cookies) {
  Text completed = headers;
  if (completed.empty()) {
    completed = "Accept: */*";
  } else if (!contains(completed, "Accept:")) {
    completed += "\r\nAccept: */*";
  }
  if (!contains(completed, "Referer:")) completed += "\r\nReferer: " + address;
  if (!contains(completed, "Accept-Language:")) completed += "\r\nAccept-Language: zh-cn";
  if (!contains(completed, "Content-Type:")) {
    completed += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
  if (!cookies.empty()) completed += "\r\nCookie: " + cookies;
  return completed;
}

Text with_uniform_set_cookie_names(const Text& response_headers) {
  return respelled(response_headers, "Set-Cookie");
}

Text cookies_set_by(const Text& response_headers) {
  TextArray items;
  for (const Text& line : header_lines(response_headers)) {
    if (!contains(line, "Set-Cookie")) continue;
    if (contains(line, ";")) {
      items.push_back(trim_spaces(text_between(line, "Set-Cookie:", ";")));
    } else {
      items.push_back(trim_spaces(without_ignoring_case(line, "Set-Cookie:")));
    }
  }
  return join_texts(items, "; ");
}

Text text_up_to_nul(Text body) {
  if (std::size_t nul = body.find('\0'); nul != Text::npos) body.resize(nul);
  return body;
}

Text value_after_colon(const Text& text) {
  int colon = find_text(text, ":");
  if (colon == -1) return Text();
  return trim_spaces(text.substr(static_cast<std::size_t>(colon)));
}
