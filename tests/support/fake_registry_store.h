#pragma once

#include "settings/registry_store.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvath::test {

// The registry for every test and the tick benchmark, in memory: keys and value
// names match without regard to case, as in the real one; an open asking for
// rights the store does not grant fails. Records every value read and written.
// A new store has no keys, so every setting reads as missing.
class FakeRegistryStore : public RegistryStore {
public:
    using Values = std::map<std::string, RegistryValue>;  // by folded name

    void createKey(const std::string& path);
    bool hasKey(const std::string& path) const;
    void put(const std::string& path, const std::string& name, std::uint32_t type, const std::string& bytes);
    void setText(const std::string& path, const std::string& name, const std::string& text);
    // The value's bytes as text; nothing when the key or the value is missing.
    std::optional<std::string> text(const std::string& path, const std::string& name) const;
    std::optional<RegistryValue> value(const std::string& path, const std::string& name) const;
    // Grants only these rights, as a key the user may read but not control.
    void grantOnly(std::uint32_t rights) { granted_ = rights; }
    int opens() const { return opens_; }

    std::unique_ptr<RegistryKey> openKey(Hive hive, std::string_view path, std::uint32_t access) override;

    std::vector<std::string> reads;   // value names, in order
    std::vector<std::string> writes;  // "name=text", in order

private:
    friend class FakeRegistryKey;
    std::map<std::string, Values> keys_;  // by folded path
    std::uint32_t granted_ = 0xFFFFFFFFu;
    int opens_ = 0;
};

}  // namespace corvath::test
