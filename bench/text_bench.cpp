// Speed of the text routines on generated result pages of 1 MB and 10 MB, next to ICU doing one
// plain conversion of the same bytes. bench/run-text-bench runs it and prints the ratios.

#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "text/code_pages.h"
#include "text/url_coding.h"

namespace {

constexpr std::size_t megabyte = 1 << 20;

void append_utf8(Text& text, char32_t character) {
  text.push_back(static_cast<char>(0xE0 | (character >> 12)));
  text.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
  text.push_back(static_cast<char>(0x80 | (character & 0x3F)));
}

// Every character of the CJK block U+4E00..U+9FA5 has a GBK form.
char32_t chinese_character(std::minstd_rand& random) {
  return static_cast<char32_t>(0x4E00 + random() % (0x9FA6 - 0x4E00));
}

void append_chinese(Text& text, std::minstd_rand& random, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) append_utf8(text, chinese_character(random));
}

void append_escaped_chinese(Text& text, std::minstd_rand& random, std::size_t count) {
  static constexpr char digits[] = "0123456789ABCDEF";
  Text utf8;
  append_chinese(utf8, random, count);
  for (unsigned char byte : utf8) {
    text.push_back('%');
    text.push_back(digits[byte >> 4]);
    text.push_back(digits[byte & 0x0F]);
  }
}

// A result page as the site serves it: UTF-8, mostly Chinese titles and descriptions, links
// whose Chinese part is percent-escaped. The same bytes in every run.
Text generate_page(std::size_t size) {
  std::minstd_rand random(20131111);
  Text page = "<html><head><meta charset=\"utf-8\"><title>";
  append_chinese(page, random, 12);
  page += "</title></head><body><ul>\n";
  const Text end = "</ul></body></html>\n";
  for (;;) {
    Text row = "<li><a href=\"/d/";
    for (int i = 0; i < 16; ++i) row += "0123456789abcdef"[random() % 16];
    row += "/";
    append_escaped_chinese(row, random, 2 + random() % 3);
    row += ".html\">";
    append_chinese(row, random, 8 + random() % 20);
    row += "</a><p>";
    append_chinese(row, random, 40 + random() % 40);
    row += "</p><span>" + std::to_string(random() % 100) + "." + std::to_string(random() % 10) +
           " GB</span></li>\n";
    if (page.size() + row.size() + end.size() > size) break;
    page += row;
  }
  page.append(size - page.size() - end.size(), ' ');
  return page + end;
}

struct Pages {
  Text utf8_page;     // as fetched, with percent escapes
  Text utf8_decoded;  // escapes decoded, still UTF-8
  Text gbk;           // the page as the tool holds it
  Bytes units;        // its UTF-16 form, with the zero unit
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "text_bench: %s\n", what);
  std::exit(1);
}

// The routines' results are checked once against ICU, so that the timings are of correct work.
const Pages& pages(std::size_t megabytes) {
  static std::map<std::size_t, Pages> made;
  auto found = made.find(megabytes);
  if (found != made.end()) return found->second;
  Pages p;
  p.utf8_page = generate_page(megabytes * megabyte);
  p.utf8_decoded = url_decode(p.utf8_page);
  p.gbk = url_decode(p.utf8_page, true);
  p.units = gbk_to_utf16(p.gbk);

  Text expected(p.utf8_decoded.size(), '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_convert("GBK", "UTF-8", expected.data(), static_cast<int32_t>(expected.size()),
                   p.utf8_decoded.data(), static_cast<int32_t>(p.utf8_decoded.size()), &status);
  if (U_FAILURE(status)) fail("ICU could not convert the page");
  expected.resize(static_cast<std::size_t>(length));
  if (p.gbk != expected) fail("url_decode does not agree with ICU");
  if (utf16_to_gbk(p.units) != p.gbk) fail("utf16_to_gbk does not read back gbk_to_utf16");
  if (gbk_to_utf8(p.gbk) != p.utf8_decoded) fail("gbk_to_utf8 does not agree with ICU");
  return made.emplace(megabytes, std::move(p)).first->second;
}

std::size_t size_of(const Text& text) {
  return text.size();
}
std::size_t size_of(const Bytes& bytes) {
  return bytes.size();
}

template <typename Input, typename Routine>
void measure(benchmark::State& state, const Input& input, Routine routine) {
  for (auto _ : state) {
    auto result = routine(input);
    benchmark::DoNotOptimize(result.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size_of(input)));
}

std::size_t megabytes_of(const benchmark::State& state) {
  return static_cast<std::size_t>(state.range(0));
}

void BM_icu_convert_utf8_to_gbk(benchmark::State& state) {
  const Text& page = pages(megabytes_of(state)).utf8_page;
  std::vector<char> target(page.size() + 1);
  for (auto _ : state) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_convert("GBK", "UTF-8", target.data(), static_cast<int32_t>(target.size()), page.data(),
                 static_cast<int32_t>(page.size()), &status);
    if (U_FAILURE(status)) state.SkipWithError("ucnv_convert failed");
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_icu_to_uchars(benchmark::State& state) {
  const Text& gbk = pages(megabytes_of(state)).gbk;
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("GBK", &status);
  std::vector<UChar> target(gbk.size() + 1);
  for (auto _ : state) {
    status = U_ZERO_ERROR;
    ucnv_toUChars(converter, target.data(), static_cast<int32_t>(target.size()), gbk.data(),
                  static_cast<int32_t>(gbk.size()), &status);
    if (U_FAILURE(status)) state.SkipWithError("ucnv_toUChars failed");
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  ucnv_close(converter);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gbk.size()));
}

void BM_url_decode_from_utf8(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).utf8_page,
          [](const Text& page) { return url_decode(page, true); });
}

void BM_url_decode(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).utf8_page,
          [](const Text& page) { return url_decode(page); });
}

void BM_url_encode_as_utf8(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).gbk,
          [](const Text& gbk) { return url_encode(gbk, false, true); });
}

void BM_gbk_to_utf16(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).gbk, [](const Text& gbk) { return gbk_to_utf16(gbk); });
}

void BM_utf16_to_gbk(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).units,
          [](const Bytes& units) { return utf16_to_gbk(units); });
}

void BM_gbk_to_utf8(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).gbk, [](const Text& gbk) { return gbk_to_utf8(gbk); });
}

void BM_utf8_to_gbk(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).utf8_decoded,
          [](const Text& utf8) { return utf8_to_gbk(utf8); });
}

void BM_multibyte_to_utf16(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).utf8_decoded,
          [](const Text& utf8) { return multibyte_to_utf16(utf8); });
}

void BM_utf16_to_multibyte(benchmark::State& state) {
  measure(state, pages(megabytes_of(state)).units,
          [](const Bytes& units) { return utf16_to_multibyte(units, 936); });
}

}  // namespace

BENCHMARK(BM_icu_convert_utf8_to_gbk)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_url_decode_from_utf8)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_icu_to_uchars)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_gbk_to_utf16)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_url_decode)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_url_encode_as_utf8)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_utf16_to_gbk)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_gbk_to_utf8)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_utf8_to_gbk)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_multibyte_to_utf16)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_utf16_to_multibyte)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
