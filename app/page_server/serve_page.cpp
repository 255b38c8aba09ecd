#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <stdexcept>

#include "app/html_text.h"
#include "app/page_server.h"
#include "app/path_rules.h"
#include "platform/random_bytes.h"

namespace app {

namespace {

using Clock = std::chrono::steady_clock;

// Bounds that hold whoever connects: a browser needs a handful of
// connections, each with a few kilobytes of request head.
constexpr unsigned kConnectionLimit = 64;
constexpr size_t kConnectionMemory = 32 * 1024;
// Above this many connections the oldest one still waiting for its request
// is dropped, so that a crowd of idle connections cannot keep the browser
// out until the connection limit refuses it.
constexpr size_t kCrowd = 48;
constexpr size_t kTokenBytes = 16;
constexpr int kPollMilliseconds = 200;

constexpr char kNotFound[] = "404 Not Found";
constexpr char kForbidden[] = "403 Forbidden";
constexpr char kNotAllowed[] = "405 Method Not Allowed";

std::string HexOf(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char c : bytes) out += {kHex[c >> 4], kHex[c & 15]};
  return out;
}

// Compares every byte whatever the first difference, so that answer times
// tell nothing about the token.
bool SameSecret(const std::string& given, const std::string& secret) {
  if (given.size() != secret.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < secret.size(); ++i)
    difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
  return difference == 0;
}

// A regular file opened without following a symbolic link in its last
// step (nor waiting on a FIFO), or -1.
int OpenRegular(int folder, const std::string& path) {
  const int fd = openat(folder, path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

struct Connection {
  int fd = -1;
  Clock::time_point since;  // accepted, or its last request finished
  bool answering = false;   // its request arrived and is being answered
  bool dropped = false;
};

class PageServer {
 public:
  explicit PageServer(const PageServerSettings& settings);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  std::string Url() const;
  void Run();

 private:
  static MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url,
                              const char* method, const char* version, const char* upload,
                              size_t* uploadSize, void** request);
  static void OnConnection(void* self, MHD_Connection* connection, void** socketContext,
                           MHD_ConnectionNotificationCode code);
  static void OnCompleted(void* self, MHD_Connection* connection, void** request,
                          MHD_RequestTerminationCode code);
  // Targets reach the handler as sent: decoding is done per path segment.
  static size_t KeepEscapes(void*, MHD_Connection*, char* text) { return std::strlen(text); }

  MHD_Result Answer(MHD_Connection* connection, const std::string& method,
                    const std::string& target);
  bool LoopbackHost(MHD_Connection* connection) const;
  int OpenTarget(const std::string& target, std::string& file) const;
  void Drop(Connection& connection);
  void DropOldestWaiting();
  void EnforceDeadlines();

  PageServerSettings settings_;
  std::string pageName_;
  std::string movieName_;
  std::string token_;
  int ruffle_ = -1;
  std::string port_;
  MHD_Daemon* daemon_ = nullptr;
  std::map<MHD_Connection*, Connection> connections_;
  Clock::time_point lastAnswer_ = Clock::now();
};

PageServer::PageServer(const PageServerSettings& settings)
    : settings_(settings),
      pageName_(ExtractFileName(settings.pageFile)),
      movieName_(ExtractFileName(settings.movieFile)),
      token_(HexOf(platform::RandomBytes(kTokenBytes))) {
  settings_.idleSeconds = std::max(1, settings.idleSeconds);
  settings_.requestSeconds = std::max(1, settings.requestSeconds);
  const int page = OpenRegular(AT_FDCWD, settings.pageFile);
  if (page < 0) throw std::runtime_error("Cannot read the page " + settings.pageFile);
  close(page);
  // Without the player's folder the page falls back to the published player.
  ruffle_ = open(settings.ruffleFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // One thread serves every connection: the program polls the daemon itself.
  daemon_ = MHD_start_daemon(
      MHD_USE_EPOLL, 0, nullptr, nullptr, &PageServer::OnRequest, this, MHD_OPTION_SOCK_ADDR,
      reinterpret_cast<sockaddr*>(&address), MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit,
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(settings_.requestSeconds),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_NOTIFY_CONNECTION,
      &PageServer::OnConnection, this, MHD_OPTION_NOTIFY_COMPLETED, &PageServer::OnCompleted, this,
      MHD_OPTION_UNESCAPE_CALLBACK, &PageServer::KeepEscapes, nullptr,
      MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, MHD_OPTION_END);
  const MHD_DaemonInfo* bound =
      daemon_ ? MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT) : nullptr;
  if (bound == nullptr || bound->port == 0) {
    if (ruffle_ >= 0) close(ruffle_);
    if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
    throw std::runtime_error("Cannot listen on the loopback address");
  }
  port_ = std::to_string(bound->port);
}

PageServer::~PageServer() {
  MHD_stop_daemon(daemon_);
  if (ruffle_ >= 0) close(ruffle_);
}

std::string PageServer::Url() const {
  return "http://127.0.0.1:" + port_ + "/" + token_ + "/" + PercentEncodeSegment(pageName_);
}

void PageServer::Run() {
  const auto idle = std::chrono::seconds(settings_.idleSeconds);
  while (Clock::now() - lastAnswer_ < idle) {
    if (MHD_run_wait(daemon_, kPollMilliseconds) != MHD_YES)
      throw std::runtime_error("The page server failed");
    EnforceDeadlines();
  }
}

MHD_Result PageServer::OnRequest(void* self, MHD_Connection* connection, const char* url,
                                 const char* method, const char*, const char*, size_t*, void**) {
  auto& server = *static_cast<PageServer*>(self);
  const auto known = server.connections_.find(connection);
  if (known != server.connections_.end()) known->second.answering = true;
  return server.Answer(connection, method, url);
}

void PageServer::OnConnection(void* self, MHD_Connection* connection, void**,
                              MHD_ConnectionNotificationCode code) {
  auto& server = *static_cast<PageServer*>(self);
  if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
    server.connections_.erase(connection);
    return;
  }
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  server.connections_[connection] = {info ? info->connect_fd : -1, Clock::now()};
  server.DropOldestWaiting();
}

void PageServer::OnCompleted(void* self, MHD_Connection* connection, void**,
                             MHD_RequestTerminationCode) {
  auto& server = *static_cast<PageServer*>(self);
  const auto known = server.connections_.find(connection);
  if (known == server.connections_.end()) return;
  known->second.answering = false;
  known->second.since = Clock::now();
}

// The connection ends at MHD's next look at it; MHD closes the socket.
void PageServer::Drop(Connection& connection) {
  if (connection.dropped || connection.fd < 0) return;
  shutdown(connection.fd, SHUT_RDWR);
  connection.dropped = true;
}

void PageServer::DropOldestWaiting() {
  size_t live = 0;
  Connection* oldest = nullptr;
  for (auto& [handle, connection] : connections_) {
    if (connection.dropped) continue;
    ++live;
    if (!connection.answering && (oldest == nullptr || connection.since < oldest->since))
      oldest = &connection;
  }
  if (live > kCrowd && oldest != nullptr) Drop(*oldest);
}

// MHD's own timeout restarts with every byte; a request gets this long in all.
void PageServer::EnforceDeadlines() {
  const auto deadline = Clock::now() - std::chrono::seconds(settings_.requestSeconds);
  for (auto& [handle, connection] : connections_)
    if (connection.since < deadline) Drop(connection);
}

bool PageServer::LoopbackHost(MHD_Connection* connection) const {
  const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
  if (host == nullptr) return false;
  const std::string given = LowerCase(host);
  const std::string port = ":" + port_;
  return given == "127.0.0.1" + port || given == "localhost" + port;
}

// The file a target names below the token, opened, or -1: the page, the
// movie, or a regular file of the player's folder, nothing else.
int PageServer::OpenTarget(const std::string& target, std::string& file) const {
  const std::string prefix = "/" + token_ + "/";
  if (target.size() <= prefix.size() || !SameSecret(target.substr(0, prefix.size()), prefix))
    return -1;
  const std::string rest = target.substr(prefix.size());
  static const std::string kPlayer = "ruffle/";
  if (rest.compare(0, kPlayer.size(), kPlayer) == 0) {
    const auto name = PercentDecodeSegment(rest.substr(kPlayer.size()));
    if (ruffle_ < 0 || !name || name->empty() || name->front() == '.') return -1;
    file = *name;
    return OpenRegular(ruffle_, file);
  }
  const auto name = PercentDecodeSegment(rest);
  if (!name) return -1;
  if (*name == pageName_)
    file = settings_.pageFile;
  else if (*name == movieName_)
    file = settings_.movieFile;
  else
    return -1;
  return OpenRegular(AT_FDCWD, file);
}

MHD_Result Respond(MHD_Connection* connection, unsigned status, MHD_Response* response,
                   const std::string& type) {
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.c_str());
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  // The page's address holds the token: no other site learns it.
  MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
  const MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return queued;
}

MHD_Result RespondError(MHD_Connection* connection, unsigned status, const char* text) {
  MHD_Response* response = MHD_create_response_from_buffer(
      std::strlen(text), const_cast<char*>(text), MHD_RESPMEM_PERSISTENT);
  if (response == nullptr) return MHD_NO;
  if (status == MHD_HTTP_METHOD_NOT_ALLOWED)
    MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
  return Respond(connection, status, response, "text/plain");
}

MHD_Result PageServer::Answer(MHD_Connection* connection, const std::string& method,
                              const std::string& target) {
  if (method != MHD_HTTP_METHOD_GET && method != MHD_HTTP_METHOD_HEAD)
    return RespondError(connection, MHD_HTTP_METHOD_NOT_ALLOWED, kNotAllowed);
  if (!LoopbackHost(connection)) return RespondError(connection, MHD_HTTP_FORBIDDEN, kForbidden);
  std::string file;
  const int fd = OpenTarget(target, file);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) {
    if (fd >= 0) close(fd);
    return RespondError(connection, MHD_HTTP_NOT_FOUND, kNotFound);
  }
  // The response owns the descriptor from here on.
  MHD_Response* response = MHD_create_response_from_fd(static_cast<size_t>(info.st_size), fd);
  if (response == nullptr) {
    close(fd);
    return MHD_NO;
  }
  lastAnswer_ = Clock::now();
  return Respond(connection, MHD_HTTP_OK, response, MediaTypeFor(file));
}

}  // namespace

std::string MediaTypeFor(const std::string& path) {
  static constexpr struct {
    const char* extension;
    const char* type;
  } kTypes[] = {{".html", "text/html; charset=utf-8"},
                {".htm", "text/html; charset=utf-8"},
                {".js", "text/javascript"},
                {".wasm", "application/wasm"},
                {".swf", "application/x-shockwave-flash"},
                {".json", "application/json"},
                {".map", "application/json"},
                {".css", "text/css"},
                {".png", "image/png"},
                {".jpg", "image/jpeg"}};
  const std::string extension = LowerCase(ExtractFileExt(path));
  for (const auto& entry : kTypes)
    if (extension == entry.extension) return entry.type;
  return "application/octet-stream";
}

void ServePage(const PageServerSettings& settings,
               const std::function<void(const std::string& url)>& ready) {
  // A browser that goes away mid-file must not end the server.
  signal(SIGPIPE, SIG_IGN);
  PageServer server(settings);
  ready(server.Url());
  server.Run();
}

}  // namespace app
