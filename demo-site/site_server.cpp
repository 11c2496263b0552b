#include "demo-site/site_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>

namespace {

const char loopback_host[] = "127.0.0.1";

// Links point back at the address the reader asked for, so a reader that reached the site
// through another name or port follows them there. A Host header with anything but a host name
// and port in it is not trusted.
std::string site_address(const httplib::Request& request, int port) {
  std::string host = request.get_header_value("Host");
  bool plain =
      !host.empty() && host.size() <= 255 && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
      });
  if (!plain) host = std::string(loopback_host) + ":" + std::to_string(port);
  return "http://" + host;
}

}  // namespace

RunningSite start_site(int port, int hits_per_page) {
  RunningSite site;
  site.server = std::make_shared<httplib::Server>();
  httplib::Server& server = *site.server;
  server.set_keep_alive_timeout(2);
  server.set_read_timeout(5);
  server.set_write_timeout(5);
  // The library's default would let a second site share the port and take half its requests.
  server.set_socket_options([](int socket_fd) {
    int on = 1;
    setsockopt(socket_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  });
  if (port == 0) {
    site.port = std::max(server.bind_to_any_port(loopback_host), 0);
  } else if (server.bind_to_port(loopback_host, port)) {
    site.port = port;
  }
  if (site.port == 0) return site;
  // Every request is answered here, before the library's pattern routing, so that no target,
  // however long or strange, reaches a regular expression.
  server.set_pre_routing_handler([port = site.port, hits_per_page](const httplib::Request& request,
                                                                   httplib::Response& response) {
    if (request.method != "GET" && request.method != "HEAD") {
      response.status = 405;
      response.set_header("Allow", "GET, HEAD");
      return httplib::Server::HandlerResponse::Handled;
    }
    SitePage page = site_page(request.target, site_address(request, port), hits_per_page);
    response.status = page.status;
    response.set_content(page.body, page.content_type.c_str());
    return httplib::Server::HandlerResponse::Handled;
  });
  auto listener_done = std::make_shared<std::atomic<bool>>(false);
  site.listener = std::thread([&server, listener_done] {
    server.listen_after_bind();
    *listener_done = true;
  });
  // A stop that came before the listener is running would be lost.
  while (!server.is_running() && !*listener_done) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return site;
}

void stop_site(RunningSite& site) {
  if (site.server) site.server->stop();
  if (site.listener.joinable()) site.listener.join();
  site.server.reset();
  site.port = 0;
}
