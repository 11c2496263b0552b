#include "demo-site/site_content.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

std::uint64_t fnv1a(const std::string& bytes, std::uint64_t seed) {
  std::uint64_t hash = 0xcbf29ce484222325ULL ^ seed;
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3ULL;
  }
  // Neighbouring keys differ in their last bytes only; a final mix spreads that over every bit.
  hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ULL;
  hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebULL;
  return hash ^ (hash >> 31);
}

std::uint64_t keyword_hash(const std::string& keyword) {
  return fnv1a(keyword, 0);
}

std::uint64_t hit_hash(const std::string& keyword, int page, int index, std::uint64_t seed) {
  std::string key = keyword;
  key += '\0';
  key += std::to_string(page);
  key += '\0';
  key += std::to_string(index);
  return fnv1a(key, seed);
}

int hex_value(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

// A '%' that is not followed by two hexadecimal digits stands for itself.
std::string percent_decode(const std::string& text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
        hex_value(text[i + 2]) >= 0) {
      decoded += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::string percent_encode_byte(unsigned char byte) {
  static const char digits[] = "0123456789ABCDEF";
  return {'%', digits[byte >> 4], digits[byte & 0x0F]};
}

std::string percent_encode_all(const std::string& text) {
  std::string encoded;
  for (unsigned char byte : text) encoded += percent_encode_byte(byte);
  return encoded;
}

// Letters and digits stay as they are; every other byte becomes an escape.
std::string percent_encode_marks(const std::string& text) {
  std::string encoded;
  for (unsigned char byte : text) {
    bool plain = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
                 (byte >= 'A' && byte <= 'Z');
    encoded += plain ? std::string(1, static_cast<char>(byte)) : percent_encode_byte(byte);
  }
  return encoded;
}

// A reader decodes every percent escape of the page before reading it, so a literal '%' in
// the text is written as an escape of its own.
std::string escape_percent(const std::string& text) {
  std::string escaped;
  for (char c : text) escaped += c == '%' ? std::string("%25") : std::string(1, c);
  return escaped;
}

// Markup characters and control characters of a keyword become character references.
std::string html_text(const std::string& text) {
  std::string escaped;
  for (unsigned char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          escaped += "&#" + std::to_string(c) + ";";
        } else {
          escaped += static_cast<char>(c);
        }
    }
  }
  return escaped;
}

bool is_valid_utf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int length;
    std::uint32_t code_point;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code_point = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      unsigned char trail = static_cast<unsigned char>(text[i + k]);
      if ((trail & 0xC0) != 0x80) return false;
      code_point = (code_point << 6) | (trail & 0x3F);
    }
    bool overlong = (length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000);
    bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (overlong || surrogate || code_point > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

std::optional<int> page_number(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::stoi(text);
}

std::vector<std::string> path_segments(const std::string& path) {
  std::vector<std::string> segments;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    segments.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return segments;
}

const std::array<const char*, 8> title_endings = {
    "高清国语中字", "蓝光1080P",  "导演剪辑版", "国粤双语",
    "未删减版",     "超清修复版", "BD中英双字", "全集打包",
};

std::string hit_size(const std::string& keyword, int page, int index) {
  std::uint64_t hash = hit_hash(keyword, page, index, 7);
  char size[32];
  std::snprintf(size, sizeof size, "%.2f GB", static_cast<double>(hash % 9000 + 300) / 1000.0);
  return size;
}

std::string hit_link(const std::string& site_address, const std::string& info_hash, int index) {
  std::string link = site_address + "/d/" + info_hash + "/";
  if (index % 3 != 2) return link;
  std::string escaped;
  for (char c : link) escaped += c == '/' ? std::string("%2F") : std::string(1, c);
  return escaped;
}

std::string written_title(const std::string& keyword, int page, int index) {
  std::string title = hit_title(keyword, page, index);
  return index % 4 == 1 ? percent_encode_marks(title) : escape_percent(title);
}

std::string page_head(const std::string& title) {
  return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
         "</title>\n</head>\n<body>\n";
}

const char page_foot[] = "</body>\n</html>\n";

std::string result_page(const std::string& keyword_segment, const std::string& keyword, int page,
                        const std::string& site_address, int hits_per_page) {
  // Bytes that are not UTF-8 are never echoed into the page.
  std::string shown_keyword = is_valid_utf8(keyword) ? escape_percent(html_text(keyword)) : "";
  int hits = hit_count(keyword, page, hits_per_page);
  std::string body = page_head(shown_keyword + " - 第" + std::to_string(page) + "页 - 演示种子站") +
                     "<h1>“" + shown_keyword + "”的搜索结果</h1>\n";
  if (hits == 0) {
    body += "<p class=\"summary\">没有找到相关结果</p>\n<ul class=\"hits\">\n</ul>\n";
    return body + page_foot;
  }
  int pages = result_page_count(keyword);
  body += "<p class=\"summary\">第" + std::to_string(page) + "/" + std::to_string(pages) +
          "页</p>\n<ul class=\"hits\">\n";
  for (int index = 0; index < hits; ++index) {
    body += "<li><a href=\"" + hit_link(site_address, hit_info_hash(keyword, page, index), index) +
            "\">" + written_title(keyword, page, index) + "</a></li><li>大小：" +
            hit_size(keyword, page, index) + "</li>\n";
  }
  body += "</ul>\n";
  body += "<p class=\"pager\"><a href=\"/s/" + keyword_segment + "/" + std::to_string(page + 1) +
          "/\">下一页</a></p>\n";
  return body + page_foot;
}

bool is_info_hash(const std::string& text) {
  return text.size() == 40 &&
         std::all_of(text.begin(), text.end(), [](char c) { return hex_value(c) >= 0; });
}

std::string detail_page(const std::string& info_hash) {
  std::string hash = info_hash;
  std::transform(hash.begin(), hash.end(), hash.begin(),
                 [](char c) { return c >= 'A' && c <= 'F' ? static_cast<char>(c + 32) : c; });
  return page_head("种子详情 " + hash) + "<h1>种子详情</h1>\n<p>特征码：" + hash +
         "</p>\n<p class=\"links\"><a href=\"/play/" + hash + "/\">" + magnet_link_opening +
         magnet_link_for(hash) + magnet_link_closing + "</p>\n" + page_foot;
}

std::string start_page() {
  return page_head("演示种子站") +
         "<h1>演示种子站</h1>\n<p><a href=\"/s/%E6%AF%92%E6%88%98/1/\">毒战</a></p>\n" + page_foot;
}

SitePage not_found() {
  return {404, "text/html; charset=utf-8", page_head("404") + "<h1>页面不存在</h1>\n" + page_foot};
}

}  // namespace

int result_page_count(const std::string& keyword) {
  return 3 + static_cast<int>(keyword_hash(keyword) % 3);
}

int hit_count(const std::string& keyword, int page, int hits_per_page) {
  if (keyword.empty() || !is_valid_utf8(keyword) || hits_per_page < 1) return 0;
  int pages = result_page_count(keyword);
  if (page < 1 || page > pages) return 0;
  if (page < pages) return hits_per_page;
  int last_page_hits = 5 + static_cast<int>((keyword_hash(keyword) >> 8) % 11);
  return std::min(hits_per_page, last_page_hits);
}

std::string hit_info_hash(const std::string& keyword, int page, int index) {
  char digits[49];
  std::snprintf(digits, sizeof digits, "%016llx%016llx%016llx",
                static_cast<unsigned long long>(hit_hash(keyword, page, index, 1)),
                static_cast<unsigned long long>(hit_hash(keyword, page, index, 2)),
                static_cast<unsigned long long>(hit_hash(keyword, page, index, 3)));
  return std::string(digits, 40);
}

std::string hit_title(const std::string& keyword, int page, int index) {
  std::uint64_t hash = hit_hash(keyword, page, index, 5);
  std::string shown_keyword = html_text(keyword);
  if (index % 5 == 3) shown_keyword = "<b>" + shown_keyword + "</b>";
  return shown_keyword + " " + std::to_string(1990 + hash % 35) + " " +
         title_endings[(hash >> 16) % title_endings.size()];
}

std::string magnet_link_for(const std::string& info_hash) {
  return "magnet:?xt=urn:btih:" + info_hash +
         "&dn=" + percent_encode_all("演示资源-" + info_hash.substr(0, 8));
}

SitePage site_page(const std::string& request_target, const std::string& site_address,
                   int hits_per_page) {
  std::string path = request_target.substr(0, request_target.find('?'));
  if (path == "/") return {200, "text/html; charset=utf-8", start_page()};
  if (path.empty() || path[0] != '/') return not_found();
  std::vector<std::string> segments = path_segments(path);
  if (segments.size() == 4 && segments[3].empty()) segments.pop_back();
  if (segments.size() == 3 && segments[0] == "s") {
    std::string keyword = percent_decode(segments[1]);
    int page = page_number(segments[2]).value_or(0);
    return {200, "text/html; charset=utf-8",
            result_page(segments[1], keyword, page, site_address, hits_per_page)};
  }
  if (segments.size() == 3 && segments[0] == "d" && segments[2].empty() &&
      is_info_hash(segments[1])) {
    return {200, "text/html; charset=utf-8", detail_page(segments[1])};
  }
  return not_found();
}
