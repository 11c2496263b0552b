#pragma once
// The demo site served over HTTP/1.1 on the loopback interface only.

#include <memory>
#include <string>
#include <thread>

#include "demo-site/site_content.h"

namespace httplib {
class Server;
}

constexpr int default_site_port = 47321;

struct RunningSite {
  std::shared_ptr<httplib::Server> server;
  std::thread listener;
  int port = 0;
};

// Starts serving on 127.0.0.1 at `port` (0: any free port) on a thread of its own and returns
// once the server accepts connections. The answer's port is 0 when the port cannot be bound.
RunningSite start_site(int port, int hits_per_page = default_hits_per_page);

// Stops accepting, ends the listener thread and frees the port.
void stop_site(RunningSite& site);
