// The demo result site: serves generated result and detail pages on 127.0.0.1 until it is
// interrupted or terminated.
//   fenlowe-demo-site [port]     (default port 47321)

#include <csignal>
#include <cstdio>
#include <string>

#include "demo-site/site_server.h"

namespace {

int port_argument(const char* text) {
  std::string digits = text;
  if (digits.empty() || digits.size() > 5 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return -1;
  }
  int port = std::stoi(digits);
  return port >= 1 && port <= 65535 ? port : -1;
}

}  // namespace

int main(int argc, char** argv) {
  int port = default_site_port;
  if (argc > 2 || (argc == 2 && (port = port_argument(argv[1])) < 0)) {
    std::fprintf(stderr, "usage: %s [port]   (port 1-65535, default %d)\n", argv[0],
                 default_site_port);
    return 2;
  }
  // The signals are taken by sigwait below, not by a handler, so they must be blocked before
  // the server starts its threads.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  RunningSite site = start_site(port);
  if (site.port == 0) {
    std::fprintf(stderr, "demo site: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::printf("demo site: serving http://127.0.0.1:%d\n", site.port);
  std::fflush(stdout);

  int received = 0;
  sigwait(&stop_signals, &received);
  stop_site(site);
  return 0;
}
