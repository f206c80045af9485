#pragma once

#include "platform/linux/registry_key_rows.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

struct RegistryKeyContents {
    std::vector<NamedRegistryValue> values;
    std::vector<std::string> subkeyPaths;
};

// Changes the store as an installer or the user at the command line would: it
// creates keys (and the store file itself, when there is none), deletes them and
// lists them. Paths must be normalized. Every change is one transaction. A store
// that is unreadable, damaged, foreign or locked throws StoreError and is left
// exactly as it was.
class RegistryStoreEditor {
public:
    explicit RegistryStoreEditor(std::filesystem::path file) : file_(std::move(file)) {}

    // Nullopt when the store or the key does not exist.
    std::optional<RegistryKeyContents> readKey(Hive hive, const std::string& path);
    void createKey(Hive hive, const std::string& path);
    // Creates the key when it is missing, then creates or replaces the value.
    void setValue(Hive hive, const std::string& path, std::string_view name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data);
    // False when the key or value is missing.
    bool deleteValue(Hive hive, const std::string& path, std::string_view name);
    bool deleteKey(Hive hive, const std::string& path);

private:
    std::unique_ptr<StoreDatabase> openForWriting(bool create);

    std::filesystem::path file_;
};

}  // namespace corvath
