#include "platform/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

struct InternetHandle {
  virtual ~InternetHandle() = default;
};

namespace {

struct ServiceHandle : InternetHandle {
  std::string agent;
  std::uint32_t access_type = INTERNET_OPEN_TYPE_DIRECT;
  std::string proxy_list;
  std::string proxy_bypass;
};

struct ConnectionHandle : InternetHandle {
  ServiceHandle service;
  std::string host;
  int port = INTERNET_DEFAULT_PORT;
};

struct RequestHandle : InternetHandle {
  ~RequestHandle() override;

  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* header_lines = nullptr;
  curl_slist* proxy_header_lines = nullptr;

  HttpTransportLimits limits;
  bool is_head = false;
  bool is_get = false;
  bool follows_redirects = false;
  // A HEAD with a body goes out as libcurl's POST under the name HEAD; libcurl would then wait
  // for a response body that a HEAD answer never has, so the transfer ends with the headers.
  bool ends_at_headers = false;
  bool ended_at_headers = false;
  int status = 0;
  bool has_location = false;
  std::vector<std::string> fixed_header_lines;  // Referer and Accept given at the opening
  std::string body_to_send;

  bool sent = false;
  bool finished = false;
  bool failed = false;
  bool connected = false;
  std::chrono::steady_clock::time_point last_activity;

  std::string header_block;  // of the last response
  bool header_block_complete = false;
  std::string pending_body;
  std::size_t pending_offset = 0;
  std::size_t body_bytes_received = 0;
  bool paused = false;
  curl_off_t transferred = 0;
};

RequestHandle::~RequestHandle() {
  if (multi != nullptr && easy != nullptr) curl_multi_remove_handle(multi, easy);
  if (easy != nullptr) curl_easy_cleanup(easy);
  if (multi != nullptr) curl_multi_cleanup(multi);
  curl_slist_free_all(header_lines);
  curl_slist_free_all(proxy_header_lines);
}

// Body bytes that arrived and wait for the reads; beyond this libcurl holds the transfer.
constexpr std::size_t pending_body_limit = 64 * 1024;

std::mutex limits_mutex;
HttpTransportLimits current_limits;

bool curl_ready() {
  static const bool ready = [] {
    // Requests run on several threads, so libcurl may not touch signals (CURLOPT_NOSIGNAL);
    // a write to a connection the server has closed must then fail, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    return curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
  }();
  return ready;
}

// The process's cookie store. It lives as long as the process: a request on a thread that
// outlives the main routine may still use it.
class CookieStore {
 public:
  static CURLSH* share() {
    static CookieStore* store = new CookieStore();
    return store->share_;
  }

 private:
  CookieStore() {
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, unlock);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  }

  static void lock(CURL*, curl_lock_data data, curl_lock_access, void* store) {
    static_cast<CookieStore*>(store)->mutexes_[data].lock();
  }
  static void unlock(CURL*, curl_lock_data data, void* store) {
    static_cast<CookieStore*>(store)->mutexes_[data].unlock();
  }

  CURLSH* share_ = nullptr;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
};

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split_at_any(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// The proxy of a proxy list for `scheme`: an entry for that scheme wins over one for every
// scheme. Empty when there is none.
std::string proxy_for_scheme(std::string_view proxy_list, std::string_view scheme) {
  std::string for_every_scheme;
  for (std::string_view entry : split_at_any(proxy_list, " ;\t")) {
    std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (for_every_scheme.empty()) for_every_scheme = entry;
    } else if (equal_ignoring_case(entry.substr(0, equals), scheme) && equals + 1 < entry.size()) {
      return std::string(entry.substr(equals + 1));
    }
  }
  return for_every_scheme;
}

bool has_usable_proxy(std::string_view proxy_list) {
  return !proxy_for_scheme(proxy_list, "http").empty() ||
         !proxy_for_scheme(proxy_list, "https").empty();
}

bool is_forbidden_in_target(unsigned char byte) {
  return byte <= 0x20 || byte >= 0x7f || std::strchr("\"#<>\\^`{|}", byte) != nullptr;
}

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Escapes, byte by byte, what HTTP does not allow raw in a request target; a "%" that does not
// start an escape is escaped itself. Everything else goes as given.
std::string escaped_target(std::string_view object_name) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string target;
  for (std::size_t i = 0; i < object_name.size(); ++i) {
    auto byte = static_cast<unsigned char>(object_name[i]);
    bool lone_percent =
        byte == '%' && !(i + 2 < object_name.size() && is_hex_digit(object_name[i + 1]) &&
                         is_hex_digit(object_name[i + 2]));
    if (is_forbidden_in_target(byte) || lone_percent) {
      target += '%';
      target += hex[byte >> 4];
      target += hex[byte & 0x0f];
    } else {
      target += static_cast<char>(byte);
    }
  }
  if (target.empty() || target.front() != '/') target.insert(0, "/");
  return target;
}

// A header value never carries a line break: it would start a header of its own.
std::string single_line(std::string_view text) {
  return std::string(text.substr(0, text.find_first_of("\r\n")));
}

std::string_view header_name(std::string_view line) {
  std::size_t colon = line.find(':');
  return trimmed(line.substr(0, colon == std::string_view::npos ? 0 : colon));
}

void note_activity(RequestHandle& request) {
  request.last_activity = std::chrono::steady_clock::now();
}

bool is_final_answer(const RequestHandle& request) {
  bool redirect = request.status == 301 || request.status == 302 || request.status == 303 ||
                  request.status == 307 || request.status == 308;
  return request.status >= 200 && !(redirect && request.has_location && request.follows_redirects);
}

size_t on_header_line(char* data, size_t size, size_t count, void* user) {
  auto& request = *static_cast<RequestHandle*>(user);
  std::string_view line(data, size * count);
  note_activity(request);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.starts_with("HTTP/")) {
    request.header_block.clear();
    request.header_block_complete = false;
    request.has_location = false;
    std::size_t space = line.find(' ');
    request.status = space == std::string_view::npos ? 0 : std::atoi(line.data() + space + 1);
  }
  if (line.empty()) {
    request.header_block_complete = true;
    if (request.ends_at_headers && is_final_answer(request)) {
      request.ended_at_headers = true;
      return 0;  // ends the transfer
    }
  } else if (!request.header_block_complete) {
    request.header_block.append(line).append("\r\n");
    if (equal_ignoring_case(header_name(line), "Location")) request.has_location = true;
  }
  return size * count;
}

size_t on_body_bytes(char* data, size_t size, size_t count, void* user) {
  auto& request = *static_cast<RequestHandle*>(user);
  note_activity(request);
  if (request.pending_offset == request.pending_body.size()) {
    request.pending_body.clear();
    request.pending_offset = 0;
  } else if (request.pending_body.size() - request.pending_offset >= pending_body_limit) {
    // The reader is behind: libcurl keeps these bytes until the reads have caught up, so a
    // fast server does not pile its whole body up here.
    request.paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  std::size_t room = request.limits.max_body_bytes - request.body_bytes_received;
  std::size_t taken = std::min(size * count, room);
  request.pending_body.append(data, taken);
  request.body_bytes_received += taken;
  return taken;  // fewer bytes than offered ends the transfer
}

int on_progress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  auto& request = *static_cast<RequestHandle*>(user);
  if (downloaded + uploaded != request.transferred) {
    request.transferred = downloaded + uploaded;
    note_activity(request);
  }
  return 0;
}

void finish(RequestHandle& request, bool failed) {
  request.finished = true;
  request.failed = request.failed || failed;
  curl_multi_remove_handle(request.multi, request.easy);
}

bool has_pending_body(const RequestHandle& request) {
  return request.pending_offset < request.pending_body.size();
}

// Runs the transfer until body bytes are waiting or the transfer has ended.
void run_until_body_or_end(RequestHandle& request) {
  using std::chrono::steady_clock;
  constexpr int poll_milliseconds = 50;
  while (!request.finished && !has_pending_body(request)) {
    if (request.paused) {
      request.paused = false;
      curl_easy_pause(request.easy, CURLPAUSE_CONT);
      if (has_pending_body(request)) break;
    }
    int running = 0;
    if (curl_multi_perform(request.multi, &running) != CURLM_OK) {
      finish(request, true);
      break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(request.multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        finish(request, message->data.result != CURLE_OK && !request.ended_at_headers);
      }
    }
    if (request.finished || has_pending_body(request)) break;

    if (!request.connected) {
      curl_off_t connect_time = 0;
      curl_easy_getinfo(request.easy, CURLINFO_CONNECT_TIME_T, &connect_time);
      if (connect_time > 0) {
        request.connected = true;
        note_activity(request);
      }
    } else if (steady_clock::now() - request.last_activity > request.limits.receive_timeout) {
      finish(request, true);
      break;
    }
    curl_multi_poll(request.multi, nullptr, 0, poll_milliseconds, nullptr);
  }
}

template <typename Handle>
Handle* handle_of(HINTERNET handle) {
  return dynamic_cast<Handle*>(handle);
}

void set_proxy(RequestHandle& request, const ServiceHandle& service, bool secure) {
  CURL* easy = request.easy;
  std::string proxy;
  if (service.access_type == INTERNET_OPEN_TYPE_PROXY) {
    proxy = proxy_for_scheme(service.proxy_list, secure ? "https" : "http");
  }
  if (proxy.empty()) {
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // direct, whatever the environment says
    return;
  }
  if (proxy.find("://") == std::string::npos) proxy.insert(0, "http://");
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXYPORT, 80L);
  std::string bypass = service.proxy_bypass;
  std::replace_if(
      bypass.begin(), bypass.end(), [](char c) { return c == ';' || c == ' '; }, ',');
  curl_easy_setopt(easy, CURLOPT_NOPROXY, bypass.c_str());
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  // Nothing beyond the request's own headers: no Proxy-Connection line either.
  request.proxy_header_lines = curl_slist_append(nullptr, "Proxy-Connection:");
  curl_easy_setopt(easy, CURLOPT_PROXYHEADER, request.proxy_header_lines);
  curl_easy_setopt(easy, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
}

std::string redirect_protocols(std::uint32_t flags) {
  bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
  bool to_other = (flags & (secure ? INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP
                                   : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS)) != 0;
  if (to_other) return "http,https";
  return secure ? "https" : "http";
}

}  // namespace

HINTERNET InternetOpenA(const char* agent, std::uint32_t access_type, const char* proxy_list,
                        const char* proxy_bypass, std::uint32_t flags) {
  if (!curl_ready() || flags != 0) return nullptr;
  if (access_type != INTERNET_OPEN_TYPE_DIRECT && access_type != INTERNET_OPEN_TYPE_PROXY) {
    return nullptr;
  }
  auto service = new ServiceHandle();
  service->agent = single_line(agent != nullptr ? agent : "");
  service->access_type = access_type;
  if (access_type == INTERNET_OPEN_TYPE_PROXY) {
    service->proxy_list = proxy_list != nullptr ? proxy_list : "";
    service->proxy_bypass = proxy_bypass != nullptr ? proxy_bypass : "";
    if (!has_usable_proxy(service->proxy_list)) {
      delete service;
      return nullptr;
    }
  }
  return service;
}

HINTERNET InternetConnectA(HINTERNET internet, const char* server_name, int server_port,
                           const char* user_name, const char* password, std::uint32_t service,
                           std::uint32_t, std::uintptr_t) {
  auto* owner = handle_of<ServiceHandle>(internet);
  bool has_credentials =
      (user_name != nullptr && *user_name != '\0') || (password != nullptr && *password != '\0');
  if (owner == nullptr || server_name == nullptr || *server_name == '\0' ||
      service != INTERNET_SERVICE_HTTP || has_credentials || server_port < 0 ||
      server_port > 65535) {
    return nullptr;
  }
  auto connection = new ConnectionHandle();
  connection->service = *owner;
  connection->host = server_name;
  connection->port = server_port;
  return connection;
}

HINTERNET HttpOpenRequestA(HINTERNET connect, const char* verb, const char* object_name,
                           const char* version, const char* referrer, const char** accept_types,
                           std::uint32_t flags, std::uintptr_t) {
  auto* connection = handle_of<ConnectionHandle>(connect);
  if (connection == nullptr) return nullptr;
  std::string method = verb != nullptr && *verb != '\0' ? verb : "GET";
  std::string_view http_version = version != nullptr ? version : "HTTP/1.1";
  if (http_version != "HTTP/1.1" && http_version != "HTTP/1.0") return nullptr;
  if (method.find_first_of(" \t\r\n") != std::string::npos) return nullptr;

  auto request = std::make_unique<RequestHandle>();
  request->easy = curl_easy_init();
  request->multi = curl_multi_init();
  if (request->easy == nullptr || request->multi == nullptr) return nullptr;
  request->limits = http_transport_limits();
  request->is_head = method == "HEAD";
  request->is_get = method == "GET";
  if (referrer != nullptr && *referrer != '\0') {
    request->fixed_header_lines.push_back("Referer: " + single_line(referrer));
  }
  if (accept_types != nullptr && accept_types[0] != nullptr) {
    std::string accept = "Accept: ";
    for (const char** type = accept_types; *type != nullptr; ++type) {
      accept += single_line(*type);
      if (type[1] != nullptr) accept += ", ";
    }
    request->fixed_header_lines.push_back(accept);
  }

  bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
  int port = connection->port != INTERNET_DEFAULT_PORT ? connection->port : secure ? 443 : 80;
  std::string host = connection->host;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  std::string url = std::string(secure ? "https://" : "http://") + host + ":" +
                    std::to_string(port) +
                    escaped_target(object_name != nullptr ? object_name : "");

  CURL* easy = request->easy;
  if (curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) != CURLE_OK) return nullptr;
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                   http_version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  // POST is libcurl's own, so that a redirect turns it into a GET as browsers do.
  if (!request->is_get && method != "POST") {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
  }
  if (!connection->service.agent.empty()) {
    curl_easy_setopt(easy, CURLOPT_USERAGENT, connection->service.agent.c_str());
  }
  set_proxy(*request, connection->service, secure);

  if ((flags & INTERNET_FLAG_NO_COOKIES) == 0) {
    curl_easy_setopt(easy, CURLOPT_SHARE, CookieStore::share());
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // the store in memory, no file
  }
  if ((flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0) {
    request->follows_redirects = true;
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, redirect_protocols(flags).c_str());
  }
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!request->limits.trusted_certificates_file.empty()) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, request->limits.trusted_certificates_file.c_str());
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
  }

  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(request->limits.connect_timeout.count()));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                   static_cast<long>(request->limits.request_timeout.count()));
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024);

  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, on_header_line);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, request.get());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, on_body_bytes);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, request.get());
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, on_progress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, request.get());
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  return request.release();
}

bool HttpSendRequestA(HINTERNET handle, const char* headers, long headers_length,
                      const void* optional, std::uint32_t optional_length) {
  auto* request = handle_of<RequestHandle>(handle);
  if (request == nullptr || request->sent) return false;
  request->sent = true;

  std::string_view header_text;
  if (headers != nullptr) {
    header_text =
        headers_length < 0 ? std::string_view(headers) : std::string_view(headers, headers_length);
  }
  std::vector<std::string> lines = request->fixed_header_lines;
  for (std::string_view line : split_at_any(header_text, "\r\n")) lines.emplace_back(line);
  // libcurl adds these on its own unless a line of the same name is given; an empty line of
  // the name keeps it out.
  for (std::string_view own : {"Accept", "Content-Type", "Expect"}) {
    bool given = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return equal_ignoring_case(header_name(line), own);
    });
    if (!given) lines.push_back(std::string(own) + ":");
  }
  for (const std::string& line : lines) {
    request->header_lines = curl_slist_append(request->header_lines, line.c_str());
  }
  CURL* easy = request->easy;
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->header_lines);

  if (optional != nullptr && optional_length > 0) {
    request->body_to_send.assign(static_cast<const char*>(optional), optional_length);
  }
  bool has_body = !request->body_to_send.empty();
  if (request->is_head) {
    request->ends_at_headers = has_body;
    if (!has_body) curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else if (request->is_get && !has_body) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }
  if (has_body || (!request->is_head && !request->is_get)) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request->body_to_send.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request->body_to_send.data());
    if (request->is_get) curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET");
  }

  note_activity(*request);
  if (curl_multi_add_handle(request->multi, easy) != CURLM_OK) {
    request->finished = request->failed = true;
    return false;
  }
  run_until_body_or_end(*request);
  return !request->failed || has_pending_body(*request);
}

bool InternetReadFile(HINTERNET file, void* buffer, std::uint32_t bytes_to_read,
                      std::uint32_t* bytes_read) {
  auto* request = handle_of<RequestHandle>(file);
  if (bytes_read != nullptr) *bytes_read = 0;
  if (request == nullptr || !request->sent || bytes_read == nullptr || buffer == nullptr) {
    return false;
  }
  run_until_body_or_end(*request);
  std::size_t count =
      std::min<std::size_t>(bytes_to_read, request->pending_body.size() - request->pending_offset);
  std::memcpy(buffer, request->pending_body.data() + request->pending_offset, count);
  request->pending_offset += count;
  *bytes_read = static_cast<std::uint32_t>(count);
  return count > 0 || !request->failed;
}

bool HttpQueryInfoA(HINTERNET handle, std::uint32_t info_level, void* buffer,
                    std::uint32_t* buffer_length, std::uint32_t*) {
  auto* request = handle_of<RequestHandle>(handle);
  if (request == nullptr || buffer_length == nullptr || request->header_block.empty()) {
    return false;
  }
  if (info_level == HTTP_QUERY_RAW_HEADERS_CRLF) {
    const std::string& block = request->header_block;
    if (buffer == nullptr || *buffer_length <= block.size()) {
      *buffer_length = static_cast<std::uint32_t>(block.size() + 1);
      return false;
    }
    std::memcpy(buffer, block.c_str(), block.size() + 1);
    *buffer_length = static_cast<std::uint32_t>(block.size());
    return true;
  }
  if (info_level == (HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER)) {
    curl_off_t length = -1;
    curl_easy_getinfo(request->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length < 0 || length > UINT32_MAX) return false;
    if (buffer == nullptr || *buffer_length < sizeof(std::uint32_t)) {
      *buffer_length = sizeof(std::uint32_t);
      return false;
    }
    auto value = static_cast<std::uint32_t>(length);
    std::memcpy(buffer, &value, sizeof value);
    *buffer_length = sizeof value;
    return true;
  }
  return false;
}

bool InternetCloseHandle(HINTERNET handle) {
  if (handle == nullptr) return false;
  delete handle;
  return true;
}

HttpTransportLimits http_transport_limits() {
  std::lock_guard lock(limits_mutex);
  return current_limits;
}

void set_http_transport_limits(const HttpTransportLimits& limits) {
  std::lock_guard lock(limits_mutex);
  current_limits = limits;
}
