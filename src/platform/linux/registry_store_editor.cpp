#include "platform/linux/registry_store_editor.h"

namespace corvath {

std::unique_ptr<StoreDatabase> RegistryStoreEditor::openForWriting(bool create) {
    if (create) {
        StoreDatabase::createIfMissing(file_);
    }
    std::unique_ptr<StoreDatabase> db = StoreDatabase::openExisting(file_);
    if (create && !db) {
        // A dangling symbolic link, say: creating through it is not ours to do.
        throw StoreError("The settings store \"" + file_.string() + "\" is missing and could not be created there");
    }
    if (db && db->readOnly()) {
        db->fail("cannot be changed by this user (the file or its folder is read-only); nothing was changed");
    }
    return db;
}

std::optional<RegistryKeyContents> RegistryStoreEditor::readKey(Hive hive, const std::string& path) {
    std::unique_ptr<StoreDatabase> db = StoreDatabase::openExisting(file_);
    if (!db) {
        return std::nullopt;
    }
    // One read transaction, so values and sub-keys come from the same moment.
    db->execute("BEGIN");
    const std::optional<std::int64_t> id = findKeyId(*db, hive, path);
    if (!id) {
        db->execute("COMMIT");
        return std::nullopt;
    }
    RegistryKeyContents contents{listValueRows(*db, *id), listSubkeyPaths(*db, hive, path)};
    db->execute("COMMIT");
    return contents;
}

void RegistryStoreEditor::createKey(Hive hive, const std::string& path) {
    std::unique_ptr<StoreDatabase> db = openForWriting(true);
    db->writeTransaction([&] { createKeyChain(*db, hive, path); });
}

void RegistryStoreEditor::setValue(Hive hive, const std::string& path, std::string_view name, std::uint32_t type,
                                   const std::vector<std::uint8_t>& data) {
    std::unique_ptr<StoreDatabase> db = openForWriting(true);
    db->writeTransaction([&] { writeValueRow(*db, createKeyChain(*db, hive, path), name, type, data); });
}

bool RegistryStoreEditor::deleteValue(Hive hive, const std::string& path, std::string_view name) {
    std::unique_ptr<StoreDatabase> db = openForWriting(false);
    bool found = false;
    if (db) {
        db->writeTransaction([&] {
            const std::optional<std::int64_t> id = findKeyId(*db, hive, path);
            found = id && deleteValueRow(*db, *id, name);
        });
    }
    return found;
}

bool RegistryStoreEditor::deleteKey(Hive hive, const std::string& path) {
    std::unique_ptr<StoreDatabase> db = openForWriting(false);
    bool found = false;
    if (db) {
        db->writeTransaction([&] { found = deleteKeyTree(*db, hive, path); });
    }
    return found;
}

}  // namespace corvath
