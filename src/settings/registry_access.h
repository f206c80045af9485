#pragma once

#include "settings/registry_store.h"

#include <string>
#include <string_view>

namespace corvath {

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
