#include "app/page_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "app/path_rules.h"

namespace app {

namespace {

constexpr size_t kMaxRequestHead = 16 * 1024;
constexpr int kRequestSeconds = 10;

using Clock = std::chrono::steady_clock;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Percent-decoding; false for a broken escape or a zero byte.
bool PercentDecode(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '%') {
      if (i + 2 >= in.size()) return false;
      const int high = HexDigit(in[i + 1]);
      const int low = HexDigit(in[i + 2]);
      if (high < 0 || low < 0) return false;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    if (c == '\0') return false;
    out.push_back(c);
  }
  return true;
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// `path` resolved, when it is a regular file inside `folder`.
std::string Inside(const std::string& folder, const std::string& relative) {
  const std::string base = RealPath(folder);
  if (base.empty()) return {};
  const std::string file = RealPath(base + "/" + relative);
  if (file.size() <= base.size() + 1 || file.compare(0, base.size() + 1, base + "/") != 0)
    return {};
  struct stat info {};
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return file;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

void Respond(int fd, const std::string& status, const std::string& type, off_t length) {
  const std::string head = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                           "\r\nContent-Length: " + std::to_string(length) +
                           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  SendAll(fd, head.data(), head.size());
}

void RespondError(int fd, const std::string& status) {
  Respond(fd, status, "text/plain", static_cast<off_t>(status.size()));
  SendAll(fd, status.data(), status.size());
}

std::string ReadHead(int fd) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead) {
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) return {};
    head.append(buffer, static_cast<size_t>(got));
  }
  return head;
}

bool LoopbackHost(const std::string& head, int port) {
  const std::string lower = LowerCase(head);
  const std::string suffix = ":" + std::to_string(port) + "\r\n";
  return lower.find("\r\nhost: 127.0.0.1" + suffix) != std::string::npos ||
         lower.find("\r\nhost: localhost" + suffix) != std::string::npos;
}

void HandleConnection(int fd, const PageServerSettings& settings, int port) {
  timeval timeout{kRequestSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  const std::string head = ReadHead(fd);
  const size_t lineEnd = head.find("\r\n");
  if (lineEnd == std::string::npos) return;
  const std::string line = head.substr(0, lineEnd);
  const size_t space1 = line.find(' ');
  const size_t space2 = line.find(' ', space1 + 1);
  if (space1 == std::string::npos || space2 == std::string::npos)
    return RespondError(fd, "400 Bad Request");
  const std::string method = line.substr(0, space1);
  if (method != "GET" && method != "HEAD") return RespondError(fd, "405 Method Not Allowed");
  if (!LoopbackHost(head, port)) return RespondError(fd, "403 Forbidden");
  const std::string file =
      ResolveRequestPath(settings, line.substr(space1 + 1, space2 - space1 - 1));
  const int in = file.empty() ? -1 : open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return RespondError(fd, "404 Not Found");
  struct stat info {};
  fstat(in, &info);
  Respond(fd, "200 OK", MediaTypeFor(file), info.st_size);
  if (method == "GET") {
    char buffer[64 * 1024];
    ssize_t got = 0;
    while ((got = read(in, buffer, sizeof buffer)) > 0)
      if (!SendAll(fd, buffer, static_cast<size_t>(got))) break;
  }
  close(in);
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

std::string ResolveRequestPath(const PageServerSettings& settings, const std::string& target) {
  std::string path = target.substr(0, target.find_first_of("?#"));
  std::string decoded;
  if (path.empty() || path.front() != '/' || !PercentDecode(path, decoded)) return {};
  // Every ".." is refused outright; realpath then keeps links from leading out.
  for (size_t start = 0; start <= decoded.size();) {
    const size_t end = std::min(decoded.find('/', start), decoded.size());
    if (decoded.compare(start, end - start, "..") == 0 && end - start == 2) return {};
    start = end + 1;
  }
  const std::string relative = decoded.substr(1);
  if (relative.rfind("ruffle/", 0) == 0 && !settings.ruffleFolder.empty()) {
    const std::string own = Inside(settings.root, relative);
    return !own.empty() ? own : Inside(settings.ruffleFolder, relative.substr(7));
  }
  return Inside(settings.root, relative);
}

void ServePage(const PageServerSettings& settings, const std::function<void(int port)>& ready) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) throw std::runtime_error("Cannot open a socket for the page server");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 16) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener);
    throw std::runtime_error("Cannot listen on the loopback address");
  }
  const int port = ntohs(address.sin_port);
  ready(port);

  std::atomic<int> busy{0};
  auto lastActivity = Clock::now();
  const auto idle = std::chrono::seconds(std::max(1, settings.idleSeconds));
  while (busy > 0 || Clock::now() - lastActivity < idle) {
    pollfd waiting{listener, POLLIN, 0};
    if (poll(&waiting, 1, 250) <= 0) continue;
    const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    lastActivity = Clock::now();
    ++busy;
    std::thread([connection, &settings, port, &busy] {
      HandleConnection(connection, settings, port);
      close(connection);
      --busy;
    }).detach();
  }
  close(listener);
}

}  // namespace app
