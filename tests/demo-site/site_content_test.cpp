#include "demo-site/site_content.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

namespace {

const std::string site = "http://127.0.0.1:47321";
const std::string du_zhan = "毒战";
const std::string du_zhan_segment = "%E6%AF%92%E6%88%98";

struct Hit {
  std::string link;
  std::string title;
  bool operator==(const Hit&) const = default;
};

std::string decoded(const std::string& page) {
  std::string out;
  auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i] == '%' && i + 2 < page.size() && hex(page[i + 1]) && hex(page[i + 2])) {
      out += static_cast<char>(std::stoi(page.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += page[i];
    }
  }
  return out;
}

// Reads a result page the way the tool does: escapes decoded, then every anchor followed at once
// by the next list item, one line at a time, letters in any case.
std::vector<Hit> hits_read_from(const std::string& page) {
  static const std::regex hit_pattern("<a href=\"(.*?)\">(.*?)</a></li><li>", std::regex::icase);
  std::vector<Hit> hits;
  std::istringstream lines(decoded(page));
  for (std::string line; std::getline(lines, line);) {
    for (std::sregex_iterator match(line.begin(), line.end(), hit_pattern), end; match != end;
         ++match) {
      hits.push_back({(*match)[1], (*match)[2]});
    }
  }
  return hits;
}

std::vector<Hit> expected_hits(const std::string& keyword, int page, int count) {
  std::vector<Hit> hits;
  for (int index = 0; index < count; ++index) {
    hits.push_back({site + "/d/" + hit_info_hash(keyword, page, index) + "/",
                    hit_title(keyword, page, index)});
  }
  return hits;
}

TEST(SiteContent, EveryPageOfAKeywordListsItsHitsAndThePageAfterTheLastIsEmpty) {
  for (const std::string& keyword : {du_zhan, std::string("abc"), std::string("天下无贼 2")}) {
    std::string segment;
    for (unsigned char byte : keyword) {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", byte);
      segment += escape;
    }
    int pages = result_page_count(keyword);
    ASSERT_GE(pages, 3) << keyword;
    for (int page = 1; page <= pages + 1; ++page) {
      SitePage served = site_page("/s/" + segment + "/" + std::to_string(page) + "/", site);
      EXPECT_EQ(served.status, 200);
      int count = page <= pages ? hit_count(keyword, page) : 0;
      if (page < pages) {
        EXPECT_EQ(count, default_hits_per_page);
      } else if (page == pages) {
        EXPECT_GT(count, 0);
      }
      EXPECT_EQ(hits_read_from(served.body), expected_hits(keyword, page, count))
          << keyword << " page " << page;
    }
  }
}

TEST(SiteContent, TitlesHoldTheKeywordAndSomeHitsAreWrittenWithEscapesOrMarkup) {
  SitePage page = site_page("/s/" + du_zhan_segment + "/1/", site);
  for (const Hit& hit : hits_read_from(page.body)) {
    EXPECT_NE(hit.title.find(du_zhan), std::string::npos) << hit.title;
  }
  EXPECT_NE(page.body.find(">" + du_zhan_segment + "%20"), std::string::npos);
  EXPECT_NE(page.body.find("http:%2F%2F127.0.0.1:47321%2Fd%2F"), std::string::npos);
  EXPECT_NE(page.body.find("<b>" + du_zhan + "</b>"), std::string::npos);
  // Every hit is followed by another list item, so none of them is lost to a reader.
  EXPECT_EQ(hits_read_from(page.body).size(), static_cast<std::size_t>(default_hits_per_page));
}

TEST(SiteContent, PagesAreTheSameForTheSameRequestAndDifferForAnother) {
  std::string target = "/s/" + du_zhan_segment + "/2/";
  EXPECT_EQ(site_page(target, site).body, site_page(target, site).body);
  EXPECT_NE(site_page(target, site).body, site_page("/s/" + du_zhan_segment + "/1/", site).body);
  EXPECT_NE(hit_info_hash(du_zhan, 1, 0), hit_info_hash(du_zhan, 1, 1));
  EXPECT_NE(hit_info_hash(du_zhan, 1, 0), hit_info_hash(du_zhan, 2, 0));
}

TEST(SiteContent, RequestsWithoutHitsGetAnEmptyResultPage) {
  const char* targets[] = {
      "/s/%FF/1/",                   // not UTF-8 at all
      "/s/%C0%AF/1/",                // overlong form
      "/s/%ED%A0%80/1/",             // a surrogate
      "/s/%E6%AF/1/",                // cut short
      "/s/%F4%90%80%80/1/",          // beyond the last code point
      "/s//1/",                      // empty keyword
      "/s/%E6%AF%92%E6%88%98/0/",    // no page 0
      "/s/%E6%AF%92%E6%88%98/-1/",   //
      "/s/%E6%AF%92%E6%88%98/abc/",  //
      "/s/%E6%AF%92%E6%88%98/99999999999999999999/",
      "/s/%E6%AF%92%E6%88%98/999999999/",
      "/s/%E6%AF%92%E6%88%98/",
  };
  for (const char* target : targets) {
    SitePage page = site_page(target, site);
    EXPECT_EQ(page.status, 200) << target;
    EXPECT_NE(page.body.find("<ul class=\"hits\">\n</ul>"), std::string::npos) << target;
    EXPECT_TRUE(hits_read_from(page.body).empty()) << target;
    EXPECT_EQ(page.body.find("\xFF"), std::string::npos) << target;
  }
}

TEST(SiteContent, AKeywordWithMarkupInItCannotBreakThePage) {
  std::string keyword = "<a href=\"x\">%41&\n";
  std::string segment = "%3Ca%20href%3D%22x%22%3E%2541%26%0A";
  SitePage page = site_page("/s/" + segment + "/1/", site);
  EXPECT_EQ(hits_read_from(page.body), expected_hits(keyword, 1, hit_count(keyword, 1)));
  EXPECT_NE(hit_title(keyword, 1, 0).find("&lt;a href=&quot;x&quot;&gt;%41&amp;&#10;"),
            std::string::npos);
}

TEST(SiteContent, ADetailPageHoldsItsMagnetLinkBetweenTheTwoMarkers) {
  std::string hash = hit_info_hash(du_zhan, 1, 0);
  ASSERT_TRUE(std::regex_match(hash, std::regex("[0-9a-f]{40}")));
  for (const std::string& target : {"/d/" + hash + "/", "/d/" + hash + "/?from=list"}) {
    SitePage page = site_page(target, site);
    ASSERT_EQ(page.status, 200);
    std::size_t start = page.body.find("BTUP在线观看</a>\r\n<a href=\"");
    ASSERT_NE(start, std::string::npos);
    start += std::string("BTUP在线观看</a>\r\n<a href=\"").size();
    std::size_t end = page.body.find("\">磁力链接</a>", start);
    ASSERT_NE(end, std::string::npos);
    std::string link = page.body.substr(start, end - start);
    EXPECT_EQ(link, magnet_link_for(hash));
    EXPECT_TRUE(
        std::regex_match(link, std::regex("magnet:\\?xt=urn:btih:" + hash + "&dn=(%[0-9A-F]{2})+")))
        << link;
  }
  EXPECT_EQ(site_page("/d/" + std::string(40, 'A') + "/", site).body,
            site_page("/d/" + std::string(40, 'a') + "/", site).body);
}

TEST(SiteContent, OtherTargetsAreNotFound) {
  for (const char* target :
       {"", "x", "/favicon.ico", "/d/abc/", "/d/" /* no hash */, "/s/%E6%AF%92/1/2/3/",
        "/d/zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz/"}) {
    EXPECT_EQ(site_page(target, site).status, 404) << target;
  }
  EXPECT_EQ(site_page("/", site).status, 200);
}

}  // namespace
