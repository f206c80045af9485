// A FUSE filesystem that never answers: every request that reaches it after
// the mount handshake blocks forever. Tests mount it to stand for a hung
// network drive, then kill it, which fails the requests still waiting.
//
// Usage: corvath-fuse-hang MOUNTPOINT (stays in the foreground, single-threaded)
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <unistd.h>

namespace {

[[noreturn]] void hang() {
    for (;;) ::pause();
}

int hangGetattr(const char*, struct stat*, fuse_file_info*) { hang(); }
int hangOpendir(const char*, fuse_file_info*) { hang(); }
int hangReaddir(const char*, void*, fuse_fill_dir_t, off_t, fuse_file_info*, fuse_readdir_flags) { hang(); }
int hangStatfs(const char*, struct statvfs*) { hang(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
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
