#pragma once

#include "settings/registry_store.h"

#include <filesystem>

namespace corvath {

// The per-user registry kept in a SQLite file. It opens existing keys only. A
// missing file is created new, holding the settings key as the installer leaves
// it; a foreign, damaged or long-locked file reads as missing and takes no
// writes. Failures are silent, as the registry's callers expect.
class SqliteRegistryStore : public RegistryStore {
public:
    explicit SqliteRegistryStore(std::filesystem::path file);

    // When the file cannot be changed by this process the key opens for reading
    // whatever the access asks for, and writes through it do nothing.
    std::unique_ptr<RegistryKey> openKey(Hive hive, std::string_view path, std::uint32_t access) override;

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

}  // namespace corvath
