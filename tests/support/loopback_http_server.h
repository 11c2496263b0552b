#pragma once
// An HTTP server for tests on a free 127.0.0.1 port. It records the exact bytes of every request
// it receives and answers what the test asks for: a whole response, a slow or endless one,
// nothing at all. Each connection runs on a thread of its own and may carry several requests.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct RecordedRequest {
  std::string bytes;  // the request as it arrived: head and body
  std::string head;   // request line and header lines, up to and including the blank line
  std::string body;

  std::string request_line() const;
  // The header lines between the request line and the blank line, as they arrived.
  std::string header_text() const;
};

// One accepted connection, handed to the responder.
class ServerConnection {
 public:
  virtual ~ServerConnection() = default;
  // False when the peer has gone or the server is stopping.
  virtual bool send(std::string_view bytes) = 0;
  // Waits for `duration`; false when the server began to stop meanwhile.
  virtual bool pause(std::chrono::milliseconds duration) = 0;
  // The connection closes once the responder returns.
  virtual void close_after_reply() = 0;
};

// Called on the connection's thread for each request. What it sends is the answer.
using Responder = std::function<void(const RecordedRequest&, ServerConnection&)>;

// A whole response: status line, the given header lines, a Content-Length line and the body.
std::string http_response(int status, const std::vector<std::string>& header_lines = {},
                          std::string_view body = {});

// A responder that sends `response` to every request.
Responder answer_with(std::string response);

// Certificate and key for a server that speaks TLS, made for 127.0.0.1 and valid for a day.
struct TlsIdentity {
  std::string certificate_pem;
  std::string private_key_pem;
};
TlsIdentity make_loopback_tls_identity();

class LoopbackHttpServer {
 public:
  explicit LoopbackHttpServer(Responder responder = answer_with(http_response(200, {}, "ok")),
                              const TlsIdentity* tls = nullptr);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT", or "https://..." for a TLS server.
  std::string base_address() const;
  std::vector<RecordedRequest> requests() const;
  int connection_count() const { return connection_count_; }

  // Closes every connection and waits for their threads; the destructor does it too.
  void stop();

  struct Shared;  // what the connection threads share with the server

 private:
  void accept_connections();

  std::shared_ptr<Shared> shared_;
  int listener_ = -1;
  int port_ = 0;
  bool tls_ = false;
  std::atomic<int> connection_count_{0};
  std::thread acceptor_;
};

// A port on 127.0.0.1 where nothing listens: connecting to it is refused.
int refused_loopback_port();
