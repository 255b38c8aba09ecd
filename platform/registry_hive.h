#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/reg_file.h"
#include "platform/registry_store.h"

namespace platform {

// The current user's hive kept in one ".reg" file. Reads use a snapshot
// taken at first use. Every write takes an exclusive lock on "<file>.lock",
// reads the file again, applies only the values being written and replaces
// the file atomically (temporary file, fsync, rename), so concurrent jobs
// keep each other's values and a crash leaves the old file or the new one.
// A file that cannot be parsed is reported and never written over. Creating
// a key is best effort; writing values reports every failure.
class RegistryHive : public RegistryStore {
 public:
  explicit RegistryHive(std::string path);

  bool KeyExists(const std::string& key) override;
  std::optional<RegValue> ReadValue(const std::string& key, const std::string& name) override;
  void CreateKey(const std::string& key) override;
  void WriteValues(const std::string& key, const NamedValues& values) override;

  const std::string& Path() const { return path_; }

 private:
  const RegFile& Snapshot();
  template <typename Change>
  void Commit(Change change);

  std::string path_;
  std::optional<RegFile> snapshot_;
};

// TALLOWCRAFT_REGISTRY when set, else $XDG_CONFIG_HOME/tallowcraft/registry.reg
// (XDG_CONFIG_HOME defaulting to ~/.config).
std::string CurrentUserHivePath();

std::unique_ptr<RegistryStore> OpenCurrentUserHive();

}  // namespace platform
