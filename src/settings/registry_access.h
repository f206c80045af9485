#pragma once

#include "settings/registry_store.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvath {

// The longest value a read takes whole, its NUL included; a longer one reads as
// missing. Generous, because a remembered selection of long mount points easily
// passes a few kilobytes.
inline constexpr std::size_t kMaxReadBytes = 1024 * 1024;

// Reads one value as text. On success with a string or number value, text is
// replaced; otherwise it keeps what the caller put in. True when the value was
// found and read, whatever its type.
bool readRegistryText(RegistryStore& store, Hive hive, std::string_view keyPath, std::string_view valueName,
                      std::string& text);

// Stores text as a REG_SZ value without a terminating NUL. A missing key is not
// created and nothing is reported.
void writeRegistryText(RegistryStore& store, Hive hive, std::string_view keyPath, std::string_view valueName,
                       std::string_view text);

}  // namespace corvath
