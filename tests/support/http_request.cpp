#include "support/http_request.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace testing_support {

int ConnectLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

HttpAnswer HttpRequest(int port, const std::string& target, const std::string& method,
                       const std::string& host) {
  HttpAnswer answer;
  const int fd = ConnectLoopback(port);
  if (fd < 0) return answer;
  const std::string request = method + " " + target + " HTTP/1.1\r\nHost: " +
                              (host.empty() ? "127.0.0.1:" + std::to_string(port) : host) +
                              "\r\nConnection: close\r\n\r\n";
  std::string text;
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
      static_cast<ssize_t>(request.size())) {
    char buffer[16384];
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, 5000) > 0) {
      const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      text.append(buffer, static_cast<size_t>(got));
    }
  }
  close(fd);
  const size_t headEnd = text.find("\r\n\r\n");
  if (text.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos) return answer;
  answer.status = std::atoi(text.c_str() + 9);
  answer.head = text.substr(0, headEnd + 2);
  answer.body = text.substr(headEnd + 4);
  return answer;
}

std::string HeaderOf(const HttpAnswer& answer, const std::string& name) {
  std::string lower = answer.head;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string key = "\r\n" + name + ": ";
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t at = lower.find(key);
  if (at == std::string::npos) return {};
  const size_t start = at + key.size();
  return answer.head.substr(start, answer.head.find("\r\n", start) - start);
}

}  // namespace testing_support
