#include "sqlite/file_mark.h"

namespace corvath::sqlite {

MarkCheck checkMark(Connection& db, FileMark ours) {
    MarkCheck check;
    check.found.application = db.integer("PRAGMA application_id");
    check.found.version = db.integer("PRAGMA user_version");
    const FileMark& found = check.found;
    if (found.application == ours.application) {
        check.ownership = found.version == ours.version  ? Ownership::Ours
                          : found.version < ours.version ? Ownership::OursOlder
                                                         : Ownership::OursNewer;
    } else if (found.application == 0 && found.version == 0) {
        check.ownership = Ownership::Unmarked;
    } else {
        check.ownership = Ownership::Foreign;
    }
    return check;
}

std::string markStatements(FileMark mark) {
    return "PRAGMA application_id = " + std::to_string(mark.application) +
           "; PRAGMA user_version = " + std::to_string(mark.version) + ";";
}

std::set<std::string> tableNames(Connection& db) {
    std::set<std::string> names;
    Statement query = db.prepare("SELECT name FROM sqlite_master WHERE type = 'table'");
    while (query.step()) names.insert(query.data(0));
    return names;
}

}  // namespace corvath::sqlite
