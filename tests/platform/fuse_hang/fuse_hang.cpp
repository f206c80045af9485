// A FUSE filesystem that never answers: every request that reaches it after
// the mount handshake blocks forever. Tests mount it to stand for a hung
// network drive, then kill it, which fails the requests still waiting.
// With --answer-root it first answers for its root, which holds one folder,
// "stuck", and hangs only below it: a drive that stops answering mid-scan.
//
// Usage: corvath-fuse-hang MOUNTPOINT [--answer-root]
// (stays in the foreground, single-threaded)
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool answerRoot = false;

[[noreturn]] void hang() {
    for (;;) ::pause();
}

bool isRoot(const char* path) { return std::strcmp(path, "/") == 0; }

int hangGetattr(const char* path, struct stat* st, fuse_file_info*) {
    if (!answerRoot) hang();
    if (!isRoot(path) && std::strcmp(path, "/stuck") != 0) return -ENOENT;
    *st = {};
    st->st_mode = S_IFDIR | 0755;
    st->st_nlink = 2;
    return 0;
}

int hangOpendir(const char* path, fuse_file_info*) {
    if (answerRoot && isRoot(path)) return 0;
    hang();
}

int hangReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    if (!answerRoot || !isRoot(path)) hang();
    for (const char* name : {".", "..", "stuck"}) fill(buffer, name, nullptr, 0, fuse_fill_dir_flags{});
    return 0;
}

int hangStatfs(const char*, struct statvfs*) { hang(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[2], "--answer-root") == 0) {
        answerRoot = true;
    } else if (argc != 2) {
        return 2;
    }
    fuse_operations operations{};
    operations.getattr = hangGetattr;
    operations.opendir = hangOpendir;
    operations.readdir = hangReaddir;
    operations.statfs = hangStatfs;
    char foreground[] = "-f";
    char singleThreaded[] = "-s";
    char options[] = "-o";
    char names[] = "fsname=corvath-hang,subtype=corvath-hang";
    char* args[] = {argv[0], foreground, singleThreaded, options, names, argv[1], nullptr};
    return fuse_main(6, args, &operations, nullptr);
}
