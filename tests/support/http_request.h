#pragma once

#include <string>

namespace testing_support {

struct HttpAnswer {
  int status = 0;  // 0 when no answer came
  std::string head;
  std::string body;
};

// A connected socket to 127.0.0.1:port, or -1.
int ConnectLoopback(int port);

// One request on a connection of its own, answered within a few seconds.
// `host` empty sends the server's own 127.0.0.1:port.
HttpAnswer HttpRequest(int port, const std::string& target, const std::string& method = "GET",
                       const std::string& host = "");

// The value of a header of an answer's head, or empty.
std::string HeaderOf(const HttpAnswer& answer, const std::string& name);

}  // namespace testing_support
