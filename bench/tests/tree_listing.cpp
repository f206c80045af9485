#include "tree_listing.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace corvath::bench::listing {

std::string listTree(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) != 0) throw std::runtime_error("lstat " + entry.path().string());
        std::string line = fs::relative(entry.path(), root).string() + " " + std::to_string(st.st_mode) + " " +
                           std::to_string(st.st_size) + " " + std::to_string(st.st_nlink);
        if (S_ISLNK(st.st_mode)) line += " -> " + fs::read_symlink(entry.path()).string();
        lines.push_back(std::move(line));
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    return text;
}

std::uint64_t duBytes(const std::string& options, const std::filesystem::path& path) {
    const std::string command = "du " + options + " '" + path.string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    unsigned long long bytes = 0;
    const int got = std::fscanf(pipe, "%llu", &bytes);
    const int status = ::pclose(pipe);
    if (got != 1 || status != 0) throw std::runtime_error(command + " failed");
    return bytes;
}

}  // namespace corvath::bench::listing
