#include "settings/registry_access.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corvath {

namespace {

// The bytes as one little-endian unsigned number in decimal. Works on any length,
// so an oversized number value still reads as its exact number instead of wrapping.
std::string littleEndianDecimal(std::vector<std::uint8_t> bytes) {
    std::string digits;
    while (!bytes.empty() && bytes.back() == 0) {
        bytes.pop_back();
    }
    while (!bytes.empty()) {
        unsigned remainder = 0;
        for (std::size_t i = bytes.size(); i-- > 0;) {
            const unsigned current = (remainder << 8) | bytes[i];
            bytes[i] = static_cast<std::uint8_t>(current / 10);
            remainder = current % 10;
        }
        digits.push_back(static_cast<char>('0' + remainder));
        while (!bytes.empty() && bytes.back() == 0) {
            bytes.pop_back();
        }
    }
    if (digits.empty()) {
        return "0";
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace

bool readRegistryText(RegistryStore& store, Hive hive, std::string_view keyPath, std::string_view valueName,
                      std::string& text) {
    const std::unique_ptr<RegistryKey> key = store.openKey(hive, keyPath, reg::kAllAccess);
    if (!key) {
        return false;
    }
    RegistryValue value;
    if (key->queryValue(valueName, kMaxReadBytes, value) != QueryStatus::Ok) {
        return false;
    }
    std::vector<std::uint8_t> raw = std::move(value.data);
    // A string stored with its terminating NUL reads like one stored without it.
    if (!raw.empty() && raw.back() == 0) {
        raw.pop_back();
    }
    if (value.type == reg::kSz) {
        text.assign(raw.begin(), raw.end());
    } else if (value.type == reg::kDword) {
        text = littleEndianDecimal(std::move(raw));
    }
    return true;
}

void writeRegistryText(RegistryStore& store, Hive hive, std::string_view keyPath, std::string_view valueName,
                       std::string_view text) {
    const std::unique_ptr<RegistryKey> key = store.openKey(hive, keyPath, reg::kWriteAccess);
    if (!key) {
        return;
    }
    key->setValue(valueName, reg::kSz, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace corvath
