#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "regex/regex_object.h"
#include "text/gbk_literal.h"

namespace {

// Workers list result pages at the same time, each with objects of its own, as the tool's
// search threads do.
TEST(RegexObjectThreads, ObjectsOnSeveralThreadsWorkApart) {
  Text page;
  for (int i = 0; i < 200; ++i) {
    page +=
        "<li><a href=\"/hash/" + std::to_string(i) + ".html\">" + "毒战"_gbk + "</a></li><li>\n";
  }
  constexpr int workers = 4;
  std::vector<int> wrong(workers, 0);
  std::vector<std::thread> threads;
  for (int worker = 0; worker < workers; ++worker) {
    threads.emplace_back([&, worker] {
      for (int round = 0; round < 20; ++round) {
        RegexObject regex;
        regex.create("<a href=\"(.*?)\">(.*?)</a></li><li>", page);
        int position = 0;
        if (regex.match_count() != 200 ||
            regex.submatch_text(200, 1, &position) != "/hash/199.html" ||
            position != static_cast<int>(page.find("/hash/199.html"))) {
          ++wrong[worker];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(workers, 0));
}

}  // namespace
