#pragma once

#include "settings/registry_store.h"

#include <algorithm>
#include <map>
#include <string>

namespace corvath::test {

// An in-memory registry for the settings logic: keys and value names match
// without regard to case, and an open asking for rights the store refuses fails.
class MemoryRegistryStore : public RegistryStore {
public:
    using Values = std::map<std::string, RegistryValue>;

    void addKey(const std::string& path) { keys_[fold(path)]; }
    void put(const std::string& path, const std::string& name, std::uint32_t type, const std::string& bytes) {
        keys_.at(fold(path))[fold(name)] = RegistryValue{type, {bytes.begin(), bytes.end()}};
    }
    void putText(const std::string& name, const std::string& text) { put("Software\\Tamsel", name, reg::kSz, text); }
    bool hasKey(const std::string& path) const { return keys_.count(fold(path)) != 0; }
    const Values& values(const std::string& path) const { return keys_.at(fold(path)); }
    // Grants only these rights, as a key the user may read but not control.
    void grantOnly(std::uint32_t rights) { granted_ = rights; }
    int opens() const { return opens_; }

    std::unique_ptr<RegistryKey> openKey(Hive hive, std::string_view path, std::uint32_t access) override {
        ++opens_;
        auto it = keys_.find(fold(std::string(path)));
        if (hive != Hive::CurrentUser || it == keys_.end() || (access & ~granted_) != 0) {
            return nullptr;
        }
        return std::make_unique<Key>(it->second);
    }

    static std::string fold(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
        return text;
    }

private:
    class Key : public RegistryKey {
    public:
        explicit Key(Values& values) : values_(values) {}
        QueryStatus queryValue(std::string_view name, std::size_t bufferSize, RegistryValue& out) override {
            auto it = values_.find(fold(std::string(name)));
            if (it == values_.end()) {
                return QueryStatus::Missing;
            }
            if (it->second.data.size() > bufferSize) {
                return QueryStatus::TooLarge;
            }
            out = it->second;
            return QueryStatus::Ok;
        }
        void setValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override {
            values_[fold(std::string(name))] = RegistryValue{type, data};
        }

    private:
        Values& values_;
    };

    std::map<std::string, Values> keys_;
    std::uint32_t granted_ = 0xFFFFFFFFu;
    int opens_ = 0;
};

}  // namespace corvath::test
