#include "web/request_text.h"

#include <gtest/gtest.h>

#include "platform/http_client.h"
#include "text/gbk_literal.h"
#include "web/http_request.h"

namespace {

const Text default_agent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

TEST(RequestText, VerbOfEachMethodAndGetForTheRest) {
  const std::pair<int, Text> cases[] = {
      {0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "GET"}, {-1, "GET"}};
  for (const auto& [method, verb] : cases) EXPECT_EQ(request_verb(method), verb) << method;
}

TEST(RequestText, SecureIsTheFirstFiveBytesInAnyCase) {
  const std::pair<Text, bool> cases[] = {
      {"https://a.b/", true}, {"HTTPS://a.b/", true},   {"HttpS", true}, {"http://a.b/", false},
      {"http", false},        {" https://a.b/", false}, {"", false}};
  for (const auto& [address, secure] : cases) {
    EXPECT_EQ(is_secure_address(address), secure) << address;
  }
}

TEST(RequestText, AgentComesFromAUserAgentLineOrIsTheDefault) {
  const std::pair<Text, Text> cases[] = {
      {"", default_agent},
      {"Accept: text/html", default_agent},
      {"X-A: 1\r\nUser-Agent:  Named/2.0 \r\nX-B: 2", "Named/2.0"},
      // Without "\r\n" behind the line the name is what follows the text's first colon.
      {"User-Agent: Single/1.0", "Single/1.0"},
      // The line is found in any letter case but cut out in exact case only.
      {"user-agent: lower/1.0", "lower/1.0"},
      {"X-A: first\r\nuser-agent: second\r\n", "first\r\nuser-agent: second\r\n"},
  };
  for (const auto& [headers, agent] : cases) EXPECT_EQ(user_agent_for(headers), agent) << headers;
}

TEST(RequestText, FlagsFollowCookiesRedirectsAndSecurity) {
  const std::uint32_t always = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
  EXPECT_EQ(request_flags(false, false, false), always | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
  EXPECT_EQ(request_flags(false, false, true), always | INTERNET_FLAG_SECURE);
  EXPECT_EQ(request_flags(true, true, true), always | INTERNET_FLAG_NO_COOKIES |
                                                 INTERNET_FLAG_NO_AUTO_REDIRECT |
                                                 INTERNET_FLAG_SECURE);
}

TEST(RequestText, ProxyListNamesHttpAloneForPlainRequests) {
  EXPECT_EQ(proxy_list_for("10.0.0.1:8080", false), "http=10.0.0.1:8080");
  EXPECT_EQ(proxy_list_for("10.0.0.1:8080", true), "10.0.0.1:8080");
}

TEST(RequestText, HeaderTextGetsTheDefaultsItLacksAtItsEnd) {
  const Text address = "http://a.b/c?d=1";
  const Text defaults_after_accept =
      "\r\nReferer: http://a.b/c?d=1\r\nAccept-Language: zh-cn"
      "\r\nContent-Type: application/x-www-form-urlencoded";
  struct Case {
    Text headers;
    Text cookies;
    Text completed;
  };
  const Case cases[] = {
      {"", "", "Accept: */*" + defaults_after_accept},
      {"User-Agent: U", "", "User-Agent: U\r\nAccept: */*" + defaults_after_accept},
      {"Accept: text/html", "", "Accept: text/html" + defaults_after_accept},
      // Names are looked for in exact case.
      {"accept: text/html", "", "accept: text/html\r\nAccept: */*" + defaults_after_accept},
      {"Referer: r\r\nContent-Type: t\r\nAccept-Language: en", "",
       "Referer: r\r\nContent-Type: t\r\nAccept-Language: en\r\nAccept: */*"},
      {"", "a=1; b=2", "Accept: */*" + defaults_after_accept + "\r\nCookie: a=1; b=2"},
      {"Cookie: x=1", "a=1",
       "Cookie: x=1\r\nAccept: */*" + defaults_after_accept + "\r\nCookie: a=1"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(completed_header_text(test.headers, address, test.cookies), test.completed)
        << test.headers;
  }
}

TEST(RequestText, SetCookieNamesAreMadeUniformAndTheirCookiesCollected) {
  const Text raw =
      "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
      "SET-COOKIE: c=3; HttpOnly\r\nContent-Length: 0\r\n";
  const Text uniform = with_uniform_set_cookie_names(raw);
  EXPECT_EQ(uniform,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
            "Set-Cookie: c=3; HttpOnly\r\nContent-Length: 0\r\n");
  EXPECT_EQ(cookies_set_by(uniform), "a=1; b=2; c=3");
}

TEST(RequestText, CookiesOfOddSetCookieLines) {
  const std::pair<Text, Text> cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", ""},
      {"", ""},
      // A line that names Set-Cookie without being one gives an empty item.
      {"X-Note: Set-Cookie; ignored\r\nSet-Cookie: a=1\r\n", "; a=1"},
      {"Set-Cookie:   spaced=1   \r\n", "spaced=1"},
      {"Set-Cookie: \xA1\xA1wide=1\xA1\xA1\r\n", "wide=1"},
      // A UTF-8 value may end in a byte that would begin a GBK character; its line still ends
      // at the CR LF, and the next line stays out of the cookie.
      {"Set-Cookie: name=\xE5\xBC\xA0\r\nSet-Cookie: b=2; path=/\r\n", "name=\xE5\xBC\xA0; b=2"},
  };
  for (const auto& [headers, cookies] : cases) EXPECT_EQ(cookies_set_by(headers), cookies);
}

TEST(RequestText, ValueAfterColon) {
  const std::pair<Text, Text> cases[] = {
      {"User-Agent: Name", "Name"},
      {"no colon here", ""},
      {"a:b:c", "b:c"},
      {"a:", ""},
      {"a: \xA1\xA1value \xA1\xA1", "value"},
      {"a:\tvalue\r\n", "\tvalue\r\n"},
      {"中文:名字"_gbk, "名字"_gbk},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(value_after_colon(text), value) << text;
}

TEST(RequestText, TextEndsAtTheFirstNul) {
  EXPECT_EQ(text_up_to_nul(Text("ab\0c", 4)), "ab");
  EXPECT_EQ(text_up_to_nul("abc"), "abc");
  EXPECT_EQ(text_up_to_nul(Text("\0a", 2)), "");
  EXPECT_EQ(text_up_to_nul(""), "");
}

}  // namespace
