#pragma once

#include "settings/registry_store.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvath {

// The value type a name such as "REG_SZ" stands for; throws RegUsageError for a
// type the store's command line does not write.
std::uint32_t parseValueType(const std::string& name);
std::string valueTypeName(std::uint32_t type);

// The bytes stored for /d DATA, as the registry keeps them: strings with their
// terminating NUL, a list of strings with one more, numbers as 4 little-endian
// bytes, binary from hex digits. Throws RegUsageError naming what is wrong.
std::vector<std::uint8_t> encodeValueData(std::uint32_t type, const std::optional<std::string>& data, char separator);

// A name or text as a listing shows it, on one line: a line break shows as \n or
// \r and any other control character but TAB as \xHH.
std::string onOneLine(std::string_view text);

// The data column of a listing: strings up to their NUL, lists joined with
// "\0", numbers as 0x hex, anything else as hex digits.
std::string formatValueData(const RegistryValue& value);

}  // namespace corvath
