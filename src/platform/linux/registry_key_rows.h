#pragma once

#include "platform/linux/store_database.h"
#include "settings/registry_store.h"

#include <optional>
#include <string>
#include <vector>

namespace corvath {

// The rows of the store's two tables. Key paths are normalized (see
// registry_key_path.h); paths and value names match without regard to ASCII case.

// The hive's number as the store keeps it: the registry's own (HKEY_CURRENT_USER
// is 0x80000001).
std::int64_t hiveCode(Hive hive);

struct NamedRegistryValue {
    std::string name;
    RegistryValue value;
};

std::optional<std::int64_t> findKeyId(StoreDatabase& db, Hive hive, const std::string& path);
// Creates the key and every missing key above it; returns its id.
std::int64_t createKeyChain(StoreDatabase& db, Hive hive, const std::string& path);
// Deletes the key, its values and everything below it. False when it was missing.
bool deleteKeyTree(StoreDatabase& db, Hive hive, const std::string& path);

// The value, or TooLarge when its data is longer than limit (nothing is copied).
QueryStatus readValueRow(StoreDatabase& db, std::int64_t keyId, std::string_view name, std::size_t limit,
                         RegistryValue& out);
// Creates or replaces; a replaced value keeps the name's spelling it had.
void writeValueRow(StoreDatabase& db, std::int64_t keyId, std::string_view name, std::uint32_t type,
                   const std::vector<std::uint8_t>& data);
bool deleteValueRow(StoreDatabase& db, std::int64_t keyId, std::string_view name);

// In the order they were first stored.
std::vector<NamedRegistryValue> listValueRows(StoreDatabase& db, std::int64_t keyId);
// Full paths of the keys directly below path, sorted without regard to case.
std::vector<std::string> listSubkeyPaths(StoreDatabase& db, Hive hive, const std::string& path);

}  // namespace corvath
