#include "platform/linux/sqlite_registry_store.h"

#include "platform/linux/registry_key_path.h"
#include "platform/linux/registry_key_rows.h"
#include "platform/linux/store_database.h"

namespace corvath {

namespace {

// The registry's rights that change a key: set value, create sub-key, create
// link, delete, write DAC, write owner.
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kChangingRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

class SqliteRegistryKey : public RegistryKey {
public:
    SqliteRegistryKey(std::unique_ptr<StoreDatabase> db, std::int64_t id, std::uint32_t access)
        : db_(std::move(db)), id_(id), access_(access) {}

    QueryStatus queryValue(std::string_view name, std::size_t bufferSize, RegistryValue& out) override {
        if ((access_ & kKeyQueryValue) == 0) {
            return QueryStatus::Missing;
        }
        try {
            return readValueRow(*db_, id_, name, bufferSize, out);
        } catch (const StoreError&) {
            return QueryStatus::Missing;
        }
    }

    void setValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override {
        if ((access_ & kKeySetValue) == 0) {
            return;
        }
        try {
            // The key row may have gone since the open; the foreign key then
            // refuses the value rather than leave it orphaned.
            db_->writeTransaction([&] { writeValueRow(*db_, id_, name, type, data); });
        } catch (const StoreError&) {
        }
    }

private:
    std::unique_ptr<StoreDatabase> db_;
    std::int64_t id_;
    std::uint32_t access_;
};

}  // namespace

SqliteRegistryStore::SqliteRegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

std::unique_ptr<RegistryKey> SqliteRegistryStore::openKey(Hive hive, std::string_view path, std::uint32_t access) {
    const std::optional<std::string> keyPath = normalizeKeyPath(path);
    if (!keyPath) {
        return nullptr;
    }
    try {
        std::unique_ptr<StoreDatabase> db = StoreDatabase::openExisting(file_);
        if (!db) {
            // No store yet: a user's profile as the installer leaves it. A store
            // that cannot be made here reads as missing.
            StoreDatabase::createIfMissing(file_);
            db = StoreDatabase::openExisting(file_);
            if (!db) {
                return nullptr;
            }
        }
        const std::optional<std::int64_t> id = findKeyId(*db, hive, *keyPath);
        if (!id) {
            return nullptr;
        }
        // A store this process cannot change still opens, for reading: the
        // settings stay readable and a write through the key does nothing.
        const std::uint32_t granted = db->readOnly() ? access & ~kChangingRights : access;
        return std::make_unique<SqliteRegistryKey>(std::move(db), *id, granted);
    } catch (const StoreError&) {
        return nullptr;
    }
}

}  // namespace corvath
