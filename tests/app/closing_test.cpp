#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "demo-site/site_server.h"
#include "tests/support/loopback_http_server.h"

namespace {

using namespace std::chrono_literals;

struct ProgramRun {
  std::string output;
  int status = -1;
  std::chrono::milliseconds close_to_exit{0};
};

// Runs the closing program and reads its output until it ends.
ProgramRun run_closing_program(const std::string& site, int close_after_milliseconds) {
  // Everything the child needs is made before the fork: other threads of this process may hold
  // the allocator's lock at that moment.
  std::string close_after = std::to_string(close_after_milliseconds);
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (std::string(*variable).rfind("ASAN_OPTIONS=", 0) != 0) environment.push_back(*variable);
  }
  // The leak check that a sanitized build runs at exit takes longer than the program's own
  // ending; the other tests look for leaks.
  const char* sanitizer_options = getenv("ASAN_OPTIONS");
  environment.push_back(std::string("ASAN_OPTIONS=") +
                        (sanitizer_options != nullptr ? sanitizer_options : "") +
                        ":detect_leaks=0");
  std::vector<char*> environment_pointers;
  for (std::string& variable : environment) environment_pointers.push_back(variable.data());
  environment_pointers.push_back(nullptr);
  const char* arguments[] = {CLOSING_PROGRAM, site.c_str(), close_after.c_str(), nullptr};

  int output_pipe[2];
  if (pipe(output_pipe) != 0) return {};
  pid_t child = fork();
  if (child == 0) {
    dup2(output_pipe[1], STDOUT_FILENO);
    close(output_pipe[0]);
    close(output_pipe[1]);
    execve(CLOSING_PROGRAM, const_cast<char**>(arguments), environment_pointers.data());
    _exit(127);
  }
  close(output_pipe[1]);
  ProgramRun run;
  std::chrono::steady_clock::time_point closing;
  char buffer[256];
  for (ssize_t got; (got = read(output_pipe[0], buffer, sizeof buffer)) > 0;) {
    run.output.append(buffer, static_cast<std::size_t>(got));
    if (closing == std::chrono::steady_clock::time_point() &&
        run.output.find("closing\n") != std::string::npos) {
      closing = std::chrono::steady_clock::now();
    }
  }
  close(output_pipe[0]);
  waitpid(child, &run.status, 0);
  run.close_to_exit = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - closing);
  return run;
}

TEST(ClosingTheWindow, EndsTheProgramPromptlyWhileWorkersAreStillRunning) {
  // A site that never answers keeps the first search waiting; a page of many hits keeps it
  // listing while the window goes.
  LoopbackHttpServer silent([](const RecordedRequest&, ServerConnection& connection) {
    while (connection.pause(100ms)) {
    }
  });
  RunningSite crowded = start_site(0, 20000);
  ASSERT_GT(crowded.port, 0);
  struct Case {
    const char* name;
    std::string site;
    int close_after_milliseconds;
  };
  const Case cases[] = {
      {"waiting for the site", silent.base_address(), 500},
      {"listing a long page", "http://127.0.0.1:" + std::to_string(crowded.port), 1500},
  };
  for (const Case& one : cases) {
    ProgramRun run = run_closing_program(one.site, one.close_after_milliseconds);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0)
        << one.name << " status " << run.status;
    EXPECT_EQ(run.output, "closing\nexit routine ran, link []\n") << one.name;
    EXPECT_LT(run.close_to_exit, 1000ms) << one.name;
  }
  stop_site(crowded);
}

}  // namespace
