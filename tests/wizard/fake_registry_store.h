#pragma once

#include "settings/registry_store.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvath::test {

// An in-memory registry: keys and value names match without regard to case, as
// in the real one. Records every value read and written.
class FakeRegistryStore : public RegistryStore {
public:
    void createKey(const std::string& path);
    void setText(const std::string& path, const std::string& name, const std::string& text);
    std::optional<std::string> text(const std::string& path, const std::string& name) const;

    std::unique_ptr<RegistryKey> openKey(Hive hive, std::string_view path, std::uint32_t access) override;

    std::vector<std::string> reads;  // value names, in order
    std::vector<std::string> writes; // "name=text", in order

private:
    friend class FakeRegistryKey;
    using Values = std::map<std::string, RegistryValue>;
    std::map<std::string, Values> keys_; // by lower-case path, values by lower-case name
};

}  // namespace corvath::test
