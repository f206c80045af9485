#pragma once

#include "settings/registry_store.h"

namespace corvath {

// The per-user registry itself. Keys open with exactly the access asked for
// and are never created; a value's data is exactly the bytes the registry
// reports, whether or not a string ends in a NUL. Failures are silent, as the
// registry's callers expect.
class Win32RegistryStore : public RegistryStore {
public:
    std::unique_ptr<RegistryKey> openKey(Hive hive, std::string_view path, std::uint32_t access) override;
};

}  // namespace corvath
