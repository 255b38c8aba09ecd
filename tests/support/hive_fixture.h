#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace testing_support {

// A fresh folder under the temporary folder, removed with its contents.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

struct ProgramResult {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::string standardOutput;
  std::string standardError;
};

// Runs `program` with `arguments`, the current environment plus `environment`
// (each "NAME=value"), and collects its output.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

// Whether an external tool can be found on PATH.
bool ToolAvailable(const std::string& tool);

// An in-memory hive for unit tests; `failReads` makes every read throw.
class MemoryRegistry : public platform::RegistryStore {
 public:
  bool KeyExists(const std::string& key) override;
  std::optional<platform::RegValue> ReadValue(const std::string& key,
                                              const std::string& name) override;
  void CreateKey(const std::string& key) override;
  void WriteValues(const std::string& key, const platform::NamedValues& values) override;

  void Set(const std::string& key, const std::string& name, const platform::RegValue& value);

  bool failReads = false;
  std::vector<std::string> createdKeys;
  std::vector<std::string> writeLog;  // "key\name" in write order

 private:
  std::map<std::string, std::map<std::string, platform::RegValue>> keys_;
};

}  // namespace testing_support
