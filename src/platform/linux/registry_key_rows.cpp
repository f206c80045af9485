#include "platform/linux/registry_key_rows.h"

namespace corvath {

std::int64_t hiveCode(Hive hive) {
    return static_cast<std::int64_t>(static_cast<std::uint32_t>(hive));
}

std::optional<std::int64_t> findKeyId(StoreDatabase& db, Hive hive, const std::string& path) {
    sqlite::Statement find = db.prepare("SELECT id FROM registry_keys WHERE hive = ?1 AND path = ?2");
    find.bind(1, hiveCode(hive)).bindText(2, path);
    if (!find.step()) {
        return std::nullopt;
    }
    return find.integer(0);
}

std::int64_t createKeyChain(StoreDatabase& db, Hive hive, const std::string& path) {
    sqlite::Statement insert = db.prepare("INSERT OR IGNORE INTO registry_keys(hive, path) VALUES(?1, ?2)");
    insert.bind(1, hiveCode(hive)).bindText(2, std::string());
    insert.step();
    for (std::size_t end = 0; end != std::string::npos;) {
        end = path.find('\\', end + 1);
        sqlite::Statement add = db.prepare("INSERT OR IGNORE INTO registry_keys(hive, path) VALUES(?1, ?2)");
        add.bind(1, hiveCode(hive)).bindText(2, path.substr(0, end));
        add.step();
    }
    if (auto id = findKeyId(db, hive, path)) {
        return *id;
    }
    db.fail("did not keep a new key");
}

bool deleteKeyTree(StoreDatabase& db, Hive hive, const std::string& path) {
    if (!findKeyId(db, hive, path)) {
        return false;
    }
    sqlite::Statement erase = db.prepare(
        "DELETE FROM registry_keys WHERE hive = ?1 AND "
        "(path = ?2 OR substr(path, 1, length(?2) + 1) = ?2 || '\\' COLLATE NOCASE)");
    erase.bind(1, hiveCode(hive)).bindText(2, path);
    erase.step();
    return true;
}

QueryStatus readValueRow(StoreDatabase& db, std::int64_t keyId, std::string_view name, std::size_t limit,
                         RegistryValue& out) {
    sqlite::Statement read =
        db.prepare("SELECT type, length(data), data FROM registry_values WHERE key_id = ?1 AND name = ?2");
    read.bind(1, keyId).bindText(2, name);
    if (!read.step()) {
        return QueryStatus::Missing;
    }
    if (static_cast<std::size_t>(read.integer(1)) > limit) {
        return QueryStatus::TooLarge;
    }
    out.type = static_cast<std::uint32_t>(read.integer(0));
    out.data = read.dataBytes(2);
    return QueryStatus::Ok;
}

void writeValueRow(StoreDatabase& db, std::int64_t keyId, std::string_view name, std::uint32_t type,
                   const std::vector<std::uint8_t>& data) {
    sqlite::Statement write = db.prepare(
        "INSERT INTO registry_values(key_id, name, type, data) VALUES(?1, ?2, ?3, ?4) "
        "ON CONFLICT(key_id, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    write.bind(1, keyId).bindText(2, name).bind(3, static_cast<std::int64_t>(type)).bindBlob(4, data);
    write.step();
}

bool deleteValueRow(StoreDatabase& db, std::int64_t keyId, std::string_view name) {
    sqlite::Statement erase = db.prepare("DELETE FROM registry_values WHERE key_id = ?1 AND name = ?2 RETURNING 1");
    erase.bind(1, keyId).bindText(2, name);
    const bool found = erase.step();
    while (erase.step()) {
    }
    return found;
}

std::vector<NamedRegistryValue> listValueRows(StoreDatabase& db, std::int64_t keyId) {
    sqlite::Statement list =
        db.prepare("SELECT name, type, data FROM registry_values WHERE key_id = ?1 ORDER BY rowid");
    list.bind(1, keyId);
    std::vector<NamedRegistryValue> values;
    while (list.step()) {
        values.push_back({list.data(0), RegistryValue{static_cast<std::uint32_t>(list.integer(1)), list.dataBytes(2)}});
    }
    return values;
}

std::vector<std::string> listSubkeyPaths(StoreDatabase& db, Hive hive, const std::string& path) {
    sqlite::Statement list = db.prepare(
        "SELECT path FROM registry_keys WHERE hive = ?1 AND path <> '' AND "
        "(CASE WHEN ?2 = '' THEN instr(path, '\\') = 0 "
        " ELSE substr(path, 1, length(?2) + 1) = ?2 || '\\' COLLATE NOCASE "
        "      AND instr(substr(path, length(?2) + 2), '\\') = 0 END) "
        "ORDER BY path COLLATE NOCASE");
    list.bind(1, hiveCode(hive)).bindText(2, path);
    std::vector<std::string> paths;
    while (list.step()) {
        paths.push_back(list.data(0));
    }
    return paths;
}

}  // namespace corvath
