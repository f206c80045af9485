#include "wizard/fake_registry_store.h"

#include <algorithm>
#include <cctype>

namespace corvath::test {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

class FakeRegistryKey : public RegistryKey {
public:
    FakeRegistryKey(FakeRegistryStore& store, FakeRegistryStore::Values& values) : store_(store), values_(values) {}

    QueryStatus queryValue(std::string_view name, std::size_t bufferSize, RegistryValue& out) override {
        store_.reads.emplace_back(name);
        const auto found = values_.find(lower(name));
        if (found == values_.end()) {
            return QueryStatus::Missing;
        }
        if (found->second.data.size() > bufferSize) {
            return QueryStatus::TooLarge;
        }
        out = found->second;
        return QueryStatus::Ok;
    }

    void setValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override {
        store_.writes.push_back(std::string(name) + "=" + std::string(data.begin(), data.end()));
        values_[lower(name)] = RegistryValue{type, data};
    }

private:
    FakeRegistryStore& store_;
    FakeRegistryStore::Values& values_;
};

void FakeRegistryStore::createKey(const std::string& path) {
    keys_[lower(path)];
}

void FakeRegistryStore::setText(const std::string& path, const std::string& name, const std::string& text) {
    keys_[lower(path)][lower(name)] = RegistryValue{reg::kSz, std::vector<std::uint8_t>(text.begin(), text.end())};
}

std::optional<std::string> FakeRegistryStore::text(const std::string& path, const std::string& name) const {
    const auto key = keys_.find(lower(path));
    if (key == keys_.end()) {
        return std::nullopt;
    }
    const auto value = key->second.find(lower(name));
    if (value == key->second.end()) {
        return std::nullopt;
    }
    return std::string(value->second.data.begin(), value->second.data.end());
}

std::unique_ptr<RegistryKey> FakeRegistryStore::openKey(Hive hive, std::string_view path, std::uint32_t) {
    if (hive != Hive::CurrentUser) {
        return nullptr;
    }
    const auto key = keys_.find(lower(path));
    if (key == keys_.end()) {
        return nullptr;
    }
    return std::make_unique<FakeRegistryKey>(*this, key->second);
}

}  // namespace corvath::test
