// Reading a whole stored scan back, for tests.
#pragma once

#include <filesystem>
#include <map>
#include <sqlite3.h>
#include <string>

#include "results/scan_reader.h"
#include "results/stored_scan.h"

namespace corvath::test {

inline void collectFolders(const ScanReader& reader, const StoredFolder& folder, const std::string& path,
                           std::map<std::string, StoredFolder>& into) {
    into[path] = folder;
    for (const StoredFolder& child : reader.children(folder.node)) {
        collectFolders(reader, child, childPath(path, child.name), into);
    }
}

// Every folder of the scan by full path.
inline std::map<std::string, StoredFolder> storedTree(const ScanReader& reader, const StoredScan& scan) {
    std::map<std::string, StoredFolder> folders;
    collectFolders(reader, reader.folder(scan.top), scan.root, folders);
    return folders;
}

// One number a query of the file gives, read with plain SQLite; -1 when none.
inline std::int64_t queryNumber(const std::filesystem::path& database, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    const std::int64_t number = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    sqlite3_close(db);
    return number;
}

// How many folder nodes the file holds, all scans together.
inline std::int64_t nodeCount(const std::filesystem::path& database) {
    return queryNumber(database, "SELECT count(*) FROM nodes");
}

}  // namespace corvath::test
