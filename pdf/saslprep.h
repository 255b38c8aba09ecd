#pragma once

#include <string>

namespace pdf {

// A password prepared for AES-256 protection: the UTF-8 text after the
// SASLprep profile of stringprep (mapping, NFKC, prohibited characters, the
// bidirectional rule), or why it cannot be one.
struct PreparedPassword {
  bool ok = false;
  std::string bytes;  // UTF-8, at most 127 bytes
  std::string problem;
};

// `utf8` is the password as typed.
PreparedPassword SaslPrepPassword(const std::string& utf8);

}  // namespace pdf
