#include "platform/windows/win32_registry_store.h"

#include <algorithm>
#include <string>

#include <windows.h>

namespace corvath {

namespace {

HKEY rootOf(Hive hive) {
    switch (hive) {
    case Hive::CurrentUser:
        return HKEY_CURRENT_USER;
    }
    return nullptr;
}

class Win32RegistryKey : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    QueryStatus queryValue(std::string_view name, std::size_t bufferSize, RegistryValue& out) override {
        const std::string valueName(name);
        // Never a null buffer, with which the call would report the size
        // instead of failing. Only the first `size` bytes returned are data: a
        // string need not end in a NUL.
        std::vector<std::uint8_t> buffer(std::max<std::size_t>(bufferSize, 1), 0);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(bufferSize);
        const LSTATUS status = RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, buffer.data(), &size);
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && size > bufferSize)) {
            return QueryStatus::TooLarge;
        }
        if (status != ERROR_SUCCESS) {
            return QueryStatus::Missing;
        }
        buffer.resize(size);
        out.type = type;
        out.data = std::move(buffer);
        return QueryStatus::Ok;
    }

    void setValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override {
        const std::string valueName(name);
        // For a string whose last byte is not NUL, RegSetValueExA (as on NT)
        // also stores the byte after the data when that byte is a NUL, taking it
        // for a terminator the caller forgot to count. A non-zero byte there
        // keeps the value to exactly these bytes.
        std::vector<std::uint8_t> bytes(data);
        bytes.push_back(0xFF);
        RegSetValueExA(key_, valueName.c_str(), 0, type, bytes.data(), static_cast<DWORD>(data.size()));
    }

private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32RegistryStore::openKey(Hive hive, std::string_view path, std::uint32_t access) {
    const HKEY root = rootOf(hive);
    if (root == nullptr) {
        return nullptr;
    }
    const std::string keyPath(path);
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace corvath
