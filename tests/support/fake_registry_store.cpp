#include "support/fake_registry_store.h"

#include "text/ascii_case.h"

namespace corvath::test {

namespace {

std::string fold(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

}  // namespace

class FakeRegistryKey : public RegistryKey {
public:
    FakeRegistryKey(FakeRegistryStore& store, FakeRegistryStore::Values& values) : store_(store), values_(values) {}

    QueryStatus queryValue(std::string_view name, std::size_t bufferSize, RegistryValue& out) override {
        store_.reads.emplace_back(name);
        const auto found = values_.find(fold(name));
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
        values_[fold(name)] = RegistryValue{type, data};
    }

private:
    FakeRegistryStore& store_;
    FakeRegistryStore::Values& values_;
};

void FakeRegistryStore::createKey(const std::string& path) { keys_[fold(path)]; }

bool FakeRegistryStore::hasKey(const std::string& path) const { return keys_.count(fold(path)) != 0; }

void FakeRegistryStore::put(const std::string& path, const std::string& name, std::uint32_t type,
                            const std::string& bytes) {
    keys_.at(fold(path))[fold(name)] = RegistryValue{type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

void FakeRegistryStore::setText(const std::string& path, const std::string& name, const std::string& text) {
    keys_[fold(path)][fold(name)] = RegistryValue{reg::kSz, std::vector<std::uint8_t>(text.begin(), text.end())};
}

std::optional<RegistryValue> FakeRegistryStore::value(const std::string& path, const std::string& name) const {
    const auto key = keys_.find(fold(path));
    if (key == keys_.end()) {
        return std::nullopt;
    }
    const auto found = key->second.find(fold(name));
    if (found == key->second.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> FakeRegistryStore::text(const std::string& path, const std::string& name) const {
    const std::optional<RegistryValue> found = value(path, name);
    if (!found) {
        return std::nullopt;
    }
    return std::string(found->data.begin(), found->data.end());
}

std::unique_ptr<RegistryKey> FakeRegistryStore::openKey(Hive hive, std::string_view path, std::uint32_t access) {
    ++opens_;
    const auto key = keys_.find(fold(path));
    if (hive != Hive::CurrentUser || key == keys_.end() || (access & ~granted_) != 0) {
        return nullptr;
    }
    return std::make_unique<FakeRegistryKey>(*this, key->second);
}

}  // namespace corvath::test
