#include "platform/linux/mount_table.h"

#include <libmount.h>
#include <memory>

namespace corvath {

namespace {

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterDeleter {
    void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

bool hasOption(libmnt_fs* fs, const char* option) {
    // mnt_fs_match_options is a pattern match over the joined options; "ro"
    // matches only the whole option, so "errors=remount-ro" does not count.
    return mnt_fs_match_options(fs, option) == 1;
}

}  // namespace

std::optional<std::vector<MountEntry>> readMountTable(const std::string& mountInfoPath) {
    std::unique_ptr<libmnt_table, TableDeleter> table(mnt_new_table());
    if (!table) return std::nullopt;
    if (mnt_table_parse_file(table.get(), mountInfoPath.c_str()) != 0) return std::nullopt;
    std::unique_ptr<libmnt_iter, IterDeleter> iter(mnt_new_iter(MNT_ITER_FORWARD));
    if (!iter) return std::nullopt;

    std::vector<MountEntry> entries;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
        MountEntry entry;
        entry.mountPoint = text(mnt_fs_get_target(fs));
        if (entry.mountPoint.empty()) continue;
        entry.id = mnt_fs_get_id(fs);
        entry.fsType = text(mnt_fs_get_fstype(fs));
        entry.source = text(mnt_fs_get_source(fs));
        entry.fsRoot = text(mnt_fs_get_root(fs));
        if (entry.fsRoot.empty()) entry.fsRoot.assign(1, '/');
        entry.device = mnt_fs_get_devno(fs);
        entry.readOnly = hasOption(fs, "ro");
        entry.pseudo = mnt_fs_is_pseudofs(fs) != 0;
        entry.network = mnt_fs_is_netfs(fs) != 0;
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace corvath
