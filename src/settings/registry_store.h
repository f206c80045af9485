#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// Predefined roots, with the values Windows gives them.
enum class Hive : std::uint32_t { CurrentUser = 0x80000001u };

// Value type codes, as the registry numbers them.
namespace reg {
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiSz = 7;

inline constexpr std::uint32_t kAllAccess = 0xF003F;   // asked for by reads
inline constexpr std::uint32_t kWriteAccess = 0x4001F; // asked for by writes
}  // namespace reg

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

enum class QueryStatus { Ok, Missing, TooLarge };

// An open key; closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Reads a value whose data is at most bufferSize bytes; a larger one is TooLarge
    // and out is left as it was.
    virtual QueryStatus queryValue(std::string_view name, std::size_t bufferSize, RegistryValue& out) = 0;
    // Creates or replaces the value with exactly these bytes. Failures are silent.
    virtual void setValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) = 0;
};

// The per-user registry: the real one on Windows, a SQLite file on Linux.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // Opens an existing key; never creates it. Null when the key is missing, the
    // store is unreadable or the access is refused.
    virtual std::unique_ptr<RegistryKey> openKey(Hive hive, std::string_view path, std::uint32_t access) = 0;
};

}  // namespace corvath
