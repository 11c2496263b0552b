// Speed and memory of fetch_text on a large page, next to the curl command line tool fetching
// the same address in the same run.
//
//   http_bench [rounds [json]]      serves 0, 8 and 32 MiB bodies on loopback and measures
//                                   (and writes every round's figures to the file json)
//   http_bench --fetch URL SIZE     one fetch_text of URL, failing unless SIZE bytes came
//                                   (what the measuring run starts)
//
// Each fetch runs in a child process of its own, so that its wall time and its peak resident
// memory (getrusage of the child) are measured alike for both programs.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/support/loopback_http_server.h"
#include "web/http_request.h"

extern char** environ;

namespace {

constexpr std::size_t mebibyte = 1024 * 1024;

struct ChildRun {
  double seconds = 0;
  double peak_mebibytes = 0;
  bool succeeded = false;
};

ChildRun run_child(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  ChildRun run;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peak_mebibytes = usage.ru_maxrss / 1024.0;  // ru_maxrss counts KiB
  run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string body_of_size(std::size_t size) {
  std::string body(size, ' ');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
  return body;
}

int fetch_once(const char* address, std::size_t expected_size) {
  Text page = fetch_text(address);
  return page.size() == expected_size ? 0 : 1;
}

// Serves /body/SIZE for each size until `stop` closes, after writing its port to `port_out`.
void serve(const std::vector<std::size_t>& sizes, int port_out, int stop) {
  std::map<std::string, std::string> responses;
  for (std::size_t size : sizes) {
    responses["/body/" + std::to_string(size)] = http_response(200, {}, body_of_size(size));
  }
  const std::string not_found = http_response(404);
  LoopbackHttpServer server([&](const RecordedRequest& request, ServerConnection& connection) {
    std::string line = request.request_line();
    std::string path = line.substr(4, line.find(' ', 4) - 4);
    auto found = responses.find(path);
    // Both sides name stored responses: a large one goes out without a copy.
    connection.send(found != responses.end() ? found->second : not_found);
  });
  int port = server.port();
  if (write(port_out, &port, sizeof port) != sizeof port) return;
  char ignored;
  while (read(stop, &ignored, 1) > 0) {
  }
}

using Samples = std::map<std::size_t, std::vector<double>>;

void write_json_list(FILE* out, const std::vector<double>& values) {
  std::fputc('[', out);
  for (std::size_t i = 0; i < values.size(); ++i)
    std::fprintf(out, "%s%.6f", i ? ", " : "", values[i]);
  std::fputc(']', out);
}

// Every round's figure rather than the medians alone, so that a report can show the spread.
void write_json(const char* path, const std::vector<std::size_t>& sizes, Samples& fetch_seconds,
                Samples& fetch_peaks, Samples& curl_seconds, Samples& curl_peaks) {
  FILE* out = std::fopen(path, "w");
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return;
  }
  std::fputs("{\"sizes\": [", out);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::size_t size = sizes[i];
    std::fprintf(out, "%s\n  {\"body_mib\": %zu, \"fetch_text_seconds\": ", i ? "," : "",
                 size / mebibyte);
    write_json_list(out, fetch_seconds[size]);
    std::fputs(", \"curl_seconds\": ", out);
    write_json_list(out, curl_seconds[size]);
    std::fputs(", \"fetch_text_peak_mib\": ", out);
    write_json_list(out, fetch_peaks[size]);
    std::fputs(", \"curl_peak_mib\": ", out);
    write_json_list(out, curl_peaks[size]);
    std::fputc('}', out);
  }
  std::fputs("\n]}\n", out);
  std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--fetch") {
    return fetch_once(argv[2], std::stoul(argv[3]));
  }
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const std::vector<std::size_t> sizes = {0, 8 * mebibyte, 32 * mebibyte};

  // The server runs in a process of its own: a child started by posix_spawn inherits the peak
  // memory of its parent, which must therefore stay small.
  int port_pipe[2];
  int stop_pipe[2];
  if (pipe(port_pipe) != 0 || pipe(stop_pipe) != 0) return 1;
  pid_t server_process = fork();
  if (server_process == 0) {
    close(port_pipe[0]);
    close(stop_pipe[1]);
    serve(sizes, port_pipe[1], stop_pipe[0]);
    _exit(0);
  }
  close(port_pipe[1]);
  close(stop_pipe[0]);
  int port = 0;
  if (read(port_pipe[0], &port, sizeof port) != sizeof port) return 1;
  const std::string base_address = "http://127.0.0.1:" + std::to_string(port);

  std::map<std::size_t, std::vector<double>> fetch_seconds, fetch_peaks, curl_seconds, curl_peaks;
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t size : sizes) {
      const std::string address = base_address + "/body/" + std::to_string(size);
      // Alternate which program goes first, so that neither always meets a warm cache.
      for (int turn = 0; turn < 2; ++turn) {
        if ((turn + round) % 2 == 0) {
          ChildRun run = run_child({"/proc/self/exe", "--fetch", address, std::to_string(size)});
          if (!run.succeeded) {
            std::fprintf(stderr, "fetch_text of %s failed\n", address.c_str());
            return 1;
          }
          fetch_seconds[size].push_back(run.seconds);
          fetch_peaks[size].push_back(run.peak_mebibytes);
        } else {
          ChildRun run = run_child({"curl", "-s", "-o", "/dev/null", address});
          if (!run.succeeded) {
            std::fprintf(stderr, "curl of %s failed\n", address.c_str());
            return 1;
          }
          curl_seconds[size].push_back(run.seconds);
          curl_peaks[size].push_back(run.peak_mebibytes);
        }
      }
    }
  }

  close(stop_pipe[1]);
  waitpid(server_process, nullptr, 0);

  std::printf("%d rounds, medians; each fetch in a child process of its own\n", rounds);
  std::printf("%10s %14s %12s %8s %16s %14s\n", "body MiB", "fetch_text ms", "curl ms", "ratio",
              "fetch_text MiB", "curl MiB");
  for (std::size_t size : sizes) {
    double ours = median(fetch_seconds[size]);
    double theirs = median(curl_seconds[size]);
    std::printf("%10zu %14.1f %12.1f %8.2f %16.1f %14.1f\n", size / mebibyte, ours * 1000,
                theirs * 1000, ours / theirs, median(fetch_peaks[size]), median(curl_peaks[size]));
  }
  double base = median(fetch_peaks[0]);
  double peak8 = median(fetch_peaks[8 * mebibyte]);
  double peak32 = median(fetch_peaks[32 * mebibyte]);
  std::printf("fetch_text peak / body at 32 MiB: %.2f (above the empty fetch: %.2f)\n", peak32 / 32,
              (peak32 - base) / 32);
  std::printf("memory per body MiB: %.2f at 8 MiB, %.2f at 32 MiB (above the empty fetch)\n",
              (peak8 - base) / 8, (peak32 - base) / 32);
  if (argc > 2) write_json(argv[2], sizes, fetch_seconds, fetch_peaks, curl_seconds, curl_peaks);
  return 0;
}
