// The conversion routines run on the window's thread and on workers at the same time; each
// thread keeps its own converters and size-query memo, so no thread may see another's results.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "text/code_pages.h"
#include "text/gbk_literal.h"
#include "text/url_coding.h"

namespace {

struct Expected {
  Text gbk;
  Bytes units;
  Text utf8;
  Text encoded;
};

// Texts that differ from thread to thread and from round to round, in length as well.
Text sample_text(int thread, int round) {
  Text text;
  for (int i = 0; i <= (thread * 7 + round) % 23; ++i) {
    text += "毒战"_gbk + std::to_string(thread) + "é磁力"_gbk + std::to_string(round);
  }
  return text;
}

TEST(TextConcurrency, ThreadsConvertAndDecodeAtOnce) {
  constexpr int thread_count = 4;
  constexpr int round_count = 200;
  std::vector<std::vector<Expected>> expected(thread_count);
  for (int thread = 0; thread < thread_count; ++thread) {
    for (int round = 0; round < round_count; ++round) {
      Expected e;
      e.gbk = sample_text(thread, round);
      e.units = gbk_to_utf16(e.gbk);
      e.utf8 = gbk_to_utf8(e.gbk);
      e.encoded = url_encode(e.gbk, false, true);
      expected[thread].push_back(e);
    }
  }

  std::atomic<int> mismatches = 0;
  std::atomic<int> ready = 0;
  std::vector<std::thread> threads;
  for (int thread = 0; thread < thread_count; ++thread) {
    threads.emplace_back([&, thread] {
      ++ready;
      while (ready < thread_count) std::this_thread::yield();
      for (const Expected& e : expected[thread]) {
        const bool all_agree = gbk_to_utf16(e.gbk) == e.units && utf16_to_gbk(e.units) == e.gbk &&
                               gbk_to_utf8(e.gbk) == e.utf8 && utf8_to_gbk(e.utf8) == e.gbk &&
                               utf16_to_multibyte(multibyte_to_utf16(e.utf8)) == e.gbk &&
                               url_encode(e.gbk, false, true) == e.encoded &&
                               url_decode(e.encoded, true) == e.gbk;
        if (!all_agree) ++mismatches;
      }
    });
  }
  for (std::thread& t : threads) t.join();

  EXPECT_EQ(mismatches, 0);
  // The expectations themselves are right, so agreement above means correct results.
  EXPECT_EQ(url_decode(expected[1][2].encoded, true), sample_text(1, 2));
  EXPECT_EQ(utf16_to_gbk(expected[3][5].units), sample_text(3, 5));
  EXPECT_EQ(url_encode("毒战"_gbk, false, true), "%E6%AF%92%E6%88%98");
}

}  // namespace
