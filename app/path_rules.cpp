#include "app/path_rules.h"

namespace app {

namespace {

size_t NameStart(const std::string& name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

size_t ExtensionStart(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < NameStart(name)) return std::string::npos;
  return dot;
}

}  // namespace

std::string ExtractFilePath(const std::string& name) { return name.substr(0, NameStart(name)); }

std::string ExtractFileName(const std::string& name) { return name.substr(NameStart(name)); }

std::string ExtractFileExt(const std::string& name) {
  const size_t dot = ExtensionStart(name);
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(const std::string& name, const std::string& extension) {
  const size_t dot = ExtensionStart(name);
  return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace app
