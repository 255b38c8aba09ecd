#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_store.h"
#include "support/temp_folder.h"

namespace testing_support {

struct ProgramResult {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::string standardOutput;
  std::string standardError;
};

// Runs `program` (searched on PATH when it has no "/") with `arguments`, the current environment
// plus `environment` (each "NAME=value"), and collects its output.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

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
