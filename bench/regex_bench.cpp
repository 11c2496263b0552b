// Speed of the regular-expression object on the tool's own work: listing a result page, reading
// the positions of many matches, and surviving hostile pages.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/regexp_engine.h"
#include "regex/regex_object.h"
#include "text/code_pages.h"
#include "text/url_coding.h"

namespace {

const Text result_item_pattern = "<a href=\"(.*?)\">(.*?)</a></li><li>";
constexpr std::size_t megabyte = 1024 * 1024;

// A result page as the site sends it: UTF-8 with percent escapes, `hits` hits spread evenly
// among markup that holds Chinese text and anchors that are not hits.
std::string result_page_utf8(std::size_t bytes, std::size_t hits) {
  const std::size_t filler_per_hit = bytes / hits;
  std::string page = "<html><head><title>毒战 搜索结果</title></head><body><ul>\n";
  for (std::size_t hit = 0; hit < hits; ++hit) {
    const std::size_t filler_end = page.size() + filler_per_hit - 120;
    for (std::size_t line = 0; page.size() < filler_end; ++line) {
      page += "<p class=\"tag\"><a href=\"/tag/" + std::to_string(line) +
              "\">标签</a> 最新电影 高清下载 在线观看%20简介 说明文字</p>\n";
    }
    page += "<li><a href=\"/hash/" + std::to_string(hit) + "%20BD.html\">毒战 第" +
            std::to_string(hit) + "部 BD1080P 国语中字</a></li><li>\n";
  }
  return page + "</ul></body></html>\n";
}

std::size_t list_decoded_page(const Text& decoded) {
  RegexObject regex;
  regex.create(result_item_pattern, decoded);
  const int count = regex.match_count();
  std::size_t title_bytes = 0;
  for (int i = 1; i <= count; ++i) {
    title_bytes += regex.submatch_text(i, 2).size();
    title_bytes += regex.submatch_text(i, 1).size();
  }
  benchmark::DoNotOptimize(title_bytes);
  return static_cast<std::size_t>(count);
}

std::size_t list_page(const std::string& page) {
  return list_decoded_page(url_decode(page, true));
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void result_page_listing(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * megabyte;
  const std::size_t hits = static_cast<std::size_t>(state.range(1));
  const std::string page = result_page_utf8(bytes, hits);
  for (auto _ : state) {
    if (list_page(page) != hits) state.SkipWithError("wrong number of hits");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(result_page_listing)->Args({1, 1000})->Args({10, 10000})->Unit(benchmark::kMillisecond);

// The listing's share of the regular-expression object alone, on the page already decoded.
void result_page_matching(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * megabyte;
  const std::size_t hits = static_cast<std::size_t>(state.range(1));
  const Text decoded = url_decode(result_page_utf8(bytes, hits), true);
  for (auto _ : state) {
    if (list_decoded_page(decoded) != hits) state.SkipWithError("wrong number of hits");
  }
}
BENCHMARK(result_page_matching)->Args({1, 1000})->Args({10, 10000})->Unit(benchmark::kMillisecond);

double processor_ms() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The same steps in Python 3, timed in the same run: each side's median of `repeats` runs, taken
// in turn, and their ratio, in wall-clock time and in processor time (steadier on a busy machine).
void result_page_listing_against_python(benchmark::State& state) {
  const std::string page = result_page_utf8(megabyte, 1000);
  const auto page_file = std::filesystem::temp_directory_path() / "regex_bench_page.html";
  std::ofstream(page_file, std::ios::binary) << page;
  const std::string script = std::string(FENLOWE_BENCH_DIR) + "/regex_bench_steps.py";
  constexpr int repeats = 40;
  double ours_ms = 0, ours_processor_ms = 0, python_ms = 0, python_processor_ms = 0;
  for (auto _ : state) {
    std::vector<double> wall, processor;
    for (int i = 0; i < repeats; ++i) {
      const auto start = std::chrono::steady_clock::now();
      const double processor_start = processor_ms();
      list_page(page);
      processor.push_back(processor_ms() - processor_start);
      wall.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
    }
    ours_ms = median(wall);
    ours_processor_ms = median(processor);
    const std::string command =
        "python3 " + script + " " + page_file.string() + " " + std::to_string(repeats);
    FILE* python = popen(command.c_str(), "r");
    std::size_t python_hits = 0;
    if (!python ||
        std::fscanf(python, "%lf %lf %zu", &python_ms, &python_processor_ms, &python_hits) != 3 ||
        python_hits != 1000) {
      state.SkipWithError("python3 gave no answer");
    }
    if (python) pclose(python);
  }
  std::filesystem::remove(page_file);
  state.counters["ours_ms"] = ours_ms;
  state.counters["python_ms"] = python_ms;
  state.counters["python_over_ours"] = ours_ms > 0 ? python_ms / ours_ms : 0;
  state.counters["ours_cpu_ms"] = ours_processor_ms;
  state.counters["python_cpu_ms"] = python_processor_ms;
  state.counters["python_over_ours_cpu"] =
      ours_processor_ms > 0 ? python_processor_ms / ours_processor_ms : 0;
}
BENCHMARK(result_page_listing_against_python)->Iterations(1)->Unit(benchmark::kMillisecond);

// A GBK subject dense with Chinese text, one match per kilobyte: every position search has to
// carry a unit index over many double-byte characters.
Text dense_chinese_subject(std::size_t matches) {
  const Text filler = utf8_to_gbk(
      "毒战是一部中国大陆警匪电影，讲述缉毒警察与毒贩之间的较量。影片节奏紧凑，动作场面激烈。");
  Text subject;
  for (std::size_t i = 0; i < matches; ++i) {
    const std::size_t line_end = subject.size() + 1024;
    const Text hit = "<li><a href=\"/hash/" + std::to_string(i) + ".html\">" + filler.substr(0, 8) +
                     "</a></li><li>\n";
    while (subject.size() + filler.size() + hit.size() < line_end) subject += filler;
    subject += hit;
  }
  return subject;
}

void all_positions(benchmark::State& state) {
  const std::size_t matches = static_cast<std::size_t>(state.range(0));
  const Text subject = dense_chinese_subject(matches);
  for (auto _ : state) {
    state.PauseTiming();
    RegexObject regex;
    regex.create(result_item_pattern, subject);
    state.ResumeTiming();
    int position = 0;
    std::int64_t sum = 0;
    for (int i = 1; i <= regex.match_count(); ++i) {
      regex.match_text(i, &position);
      sum += position;
      regex.submatch_text(i, 1, &position);
      sum += position;
    }
    benchmark::DoNotOptimize(sum);
    if (regex.match_count() != static_cast<int>(matches)) state.SkipWithError("wrong count");
  }
  state.counters["subject_mb"] = static_cast<double>(subject.size()) / megabyte;
  state.counters["per_match"] = benchmark::Counter(
      static_cast<double>(matches),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(all_positions)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

std::u16string utf16_hit(int number) {
  return u"<li><a href=\"/hash/" + std::u16string(1, static_cast<char16_t>(u'0' + number)) +
         u".html\">毒战</a></li><li>\n";
}

// Anchor after anchor on one line of the whole size, none followed by "</li><li>".
std::u16string one_hostile_line(std::size_t units) {
  std::u16string line;
  while (line.size() < units) line += u"<a href=\"x\">y</a>";
  return line + u"\n";
}

// Lines short enough that no single attempt breaks the work bound, each holding anchor after
// anchor with none followed by "</li><li>": every attempt scans the rest of its line again and
// again. The JIT gets through them at speed; the interpreter takes tens of seconds, so only the
// JIT is timed here.
std::u16string many_hostile_lines(std::size_t units) {
  std::u16string line;
  while (line.size() < 3000) line += u"<a href=\"x\">";
  line += u"\n";
  std::u16string lines;
  while (lines.size() < units) lines += line;
  return lines;
}

void hostile_page(benchmark::State& state, std::u16string (*hostile)(std::size_t)) {
  RegexpOptions options;
  options.ignore_case = options.multiline = options.global = true;
  options.use_jit = state.range(0) != 0;
  const auto subject = std::make_shared<const std::u16string>(
      utf16_hit(1) + utf16_hit(2) + hostile(10 * megabyte) + utf16_hit(3));
  const std::u16string pattern = u"<a href=\"(.*?)\">(.*?)</a></li><li>";
  for (auto _ : state) {
    const auto matches = regexp_execute(pattern, options, subject);
    if (!matches || matches->count() != 3) state.SkipWithError("hits around the line were lost");
  }
  state.SetLabel(options.use_jit ? "jit" : "interpreter");
}
BENCHMARK_CAPTURE(hostile_page, one_line, one_hostile_line)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile_page, many_lines, many_hostile_lines)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
