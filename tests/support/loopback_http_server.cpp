#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <stdexcept>

namespace {

std::string lower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

std::size_t content_length_of(const std::string& head) {
  std::string lowered = lower(head);
  std::size_t at = lowered.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return std::stoul(head.substr(at + 17));
}

struct SslContextDeleter {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

std::unique_ptr<SSL_CTX, SslContextDeleter> server_context(const TlsIdentity& identity) {
  std::unique_ptr<SSL_CTX, SslContextDeleter> context(SSL_CTX_new(TLS_server_method()));
  BIO* certificate_bio =
      BIO_new_mem_buf(identity.certificate_pem.data(), int(identity.certificate_pem.size()));
  BIO* key_bio =
      BIO_new_mem_buf(identity.private_key_pem.data(), int(identity.private_key_pem.size()));
  X509* certificate = PEM_read_bio_X509(certificate_bio, nullptr, nullptr, nullptr);
  EVP_PKEY* key = PEM_read_bio_PrivateKey(key_bio, nullptr, nullptr, nullptr);
  bool ready = context && certificate && key &&
               SSL_CTX_use_certificate(context.get(), certificate) == 1 &&
               SSL_CTX_use_PrivateKey(context.get(), key) == 1;
  X509_free(certificate);
  EVP_PKEY_free(key);
  BIO_free(certificate_bio);
  BIO_free(key_bio);
  if (!ready) throw std::runtime_error("TLS server context");
  return context;
}

}  // namespace

struct LoopbackHttpServer::Shared {
  Responder responder;
  std::unique_ptr<SSL_CTX, SslContextDeleter> tls_context;
  std::atomic<bool> stopping{false};
  mutable std::mutex mutex;
  std::condition_variable stop_signal;
  std::vector<RecordedRequest> requests;
  std::vector<int> open_sockets;
  std::vector<std::thread> connection_threads;
};

namespace {

class SocketConnection : public ServerConnection {
 public:
  SocketConnection(std::shared_ptr<LoopbackHttpServer::Shared> shared, int socket)
      : shared_(std::move(shared)), socket_(socket) {
    if (shared_->tls_context) {
      ssl_ = SSL_new(shared_->tls_context.get());
      SSL_set_fd(ssl_, socket_);
      handshake_done_ = SSL_accept(ssl_) == 1;
    }
  }

  ~SocketConnection() override {
    if (ssl_ != nullptr) {
      if (handshake_done_) SSL_shutdown(ssl_);
      SSL_free(ssl_);
    }
    {
      std::lock_guard lock(shared_->mutex);
      auto& open = shared_->open_sockets;
      open.erase(std::remove(open.begin(), open.end(), socket_), open.end());
      ::close(socket_);
    }
  }

  bool usable() const { return ssl_ == nullptr || handshake_done_; }

  bool send(std::string_view bytes) override {
    while (!bytes.empty()) {
      if (shared_->stopping) return false;
      long sent = ssl_ != nullptr ? SSL_write(ssl_, bytes.data(), int(bytes.size()))
                                  : ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  bool pause(std::chrono::milliseconds duration) override {
    std::unique_lock lock(shared_->mutex);
    return !shared_->stop_signal.wait_for(lock, duration, [&] { return shared_->stopping.load(); });
  }

  void close_after_reply() override { closing_ = true; }

  // Appends what arrives to `buffer`; false at the end of the stream.
  bool receive(std::string& buffer) {
    char chunk[16 * 1024];
    long count = ssl_ != nullptr ? SSL_read(ssl_, chunk, sizeof chunk)
                                 : ::recv(socket_, chunk, sizeof chunk, 0);
    if (count <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(count));
    return true;
  }

  bool closing() const { return closing_; }

 private:
  std::shared_ptr<LoopbackHttpServer::Shared> shared_;
  int socket_;
  SSL* ssl_ = nullptr;
  bool handshake_done_ = false;
  bool closing_ = false;
};

void serve_connection(std::shared_ptr<LoopbackHttpServer::Shared> shared, int socket) {
  SocketConnection connection(shared, socket);
  if (!connection.usable()) return;
  std::string buffer;
  while (!shared->stopping) {
    std::size_t head_end;
    while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (!connection.receive(buffer)) return;
    }
    RecordedRequest request;
    request.head = buffer.substr(0, head_end + 4);
    std::size_t total = request.head.size() + content_length_of(request.head);
    while (buffer.size() < total) {
      if (!connection.receive(buffer)) return;
    }
    request.bytes = buffer.substr(0, total);
    request.body = buffer.substr(request.head.size(), total - request.head.size());
    buffer.erase(0, total);
    {
      std::lock_guard lock(shared->mutex);
      shared->requests.push_back(request);
    }
    shared->responder(request, connection);
    if (connection.closing()) return;
  }
}

}  // namespace

std::string RecordedRequest::request_line() const {
  return head.substr(0, head.find("\r\n"));
}

std::string RecordedRequest::header_text() const {
  std::size_t start = head.find("\r\n") + 2;
  return head.substr(start, head.size() - 4 - start);
}

std::string http_response(int status, const std::vector<std::string>& header_lines,
                          std::string_view body) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " Answer\r\n";
  for (const std::string& line : header_lines) response += line + "\r\n";
  response += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  response += body;
  return response;
}

Responder answer_with(std::string response) {
  return [response = std::move(response)](const RecordedRequest&, ServerConnection& connection) {
    connection.send(response);
  };
}

TlsIdentity make_loopback_tls_identity() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), -60);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 60 * 60);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(certificate, name);
  X509V3_CTX extension_context;
  X509V3_set_ctx_nodb(&extension_context);
  X509V3_set_ctx(&extension_context, certificate, certificate, nullptr, nullptr, 0);
  for (auto [id, value] : {std::pair{NID_subject_alt_name, "IP:127.0.0.1"},
                           std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &extension_context, id, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
  }
  X509_sign(certificate, key, EVP_sha256());

  auto to_pem = [](auto write) {
    BIO* bio = BIO_new(BIO_s_mem());
    write(bio);
    char* data = nullptr;
    long size = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<std::size_t>(size));
    BIO_free(bio);
    return pem;
  };
  TlsIdentity identity;
  identity.certificate_pem = to_pem([&](BIO* bio) { PEM_write_bio_X509(bio, certificate); });
  identity.private_key_pem = to_pem(
      [&](BIO* bio) { PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr); });
  X509_free(certificate);
  EVP_PKEY_free(key);
  return identity;
}

LoopbackHttpServer::LoopbackHttpServer(Responder responder, const TlsIdentity* tls)
    : shared_(std::make_shared<Shared>()), tls_(tls != nullptr) {
  // A client that leaves early must not end the test program on the server's next write.
  std::signal(SIGPIPE, SIG_IGN);
  shared_->responder = std::move(responder);
  if (tls != nullptr) shared_->tls_context = server_context(*tls);
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("loopback listener");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { accept_connections(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop();
}

std::string LoopbackHttpServer::base_address() const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

std::vector<RecordedRequest> LoopbackHttpServer::requests() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->requests;
}

void LoopbackHttpServer::accept_connections() {
  while (true) {
    int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) return;  // the listener was shut down
    std::lock_guard lock(shared_->mutex);
    if (shared_->stopping) {
      ::close(socket);
      return;
    }
    ++connection_count_;
    shared_->open_sockets.push_back(socket);
    shared_->connection_threads.emplace_back(serve_connection, shared_, socket);
  }
}

void LoopbackHttpServer::stop() {
  if (!acceptor_.joinable()) return;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    for (int socket : shared_->open_sockets) ::shutdown(socket, SHUT_RDWR);
  }
  shared_->stop_signal.notify_all();
  ::shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(shared_->mutex);
    threads.swap(shared_->connection_threads);
  }
  for (std::thread& thread : threads) thread.join();
  ::close(listener_);
}

int refused_loopback_port() {
  int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);  // bound but never listening: the port is free again and refuses
  return ntohs(address.sin_port);
}
