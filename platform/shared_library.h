#pragma once

#include <dlfcn.h>

namespace platform {

// A shared library opened when a feature first needs it rather than with
// the program, so that jobs which never use it pay nothing for it (and the
// program runs where it is not installed). It stays loaded for the rest of
// the process: libraries such as libcups keep per-thread state that closing
// them would strand.
class SharedLibrary {
 public:
  explicit SharedLibrary(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool Loaded() const { return handle_ != nullptr; }

  // Points `function` at `symbol`; false (and null) when the library or the
  // symbol is missing.
  template <typename Function>
  bool Bind(Function& function, const char* symbol) const {
    function = handle_ != nullptr ? reinterpret_cast<Function>(dlsym(handle_, symbol)) : nullptr;
    return function != nullptr;
  }

 private:
  void* handle_;
};

}  // namespace platform
