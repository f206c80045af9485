#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

// Builds a mountinfo file line by line, as the kernel writes it.
class MountInfoFile {
public:
    explicit MountInfoFile(std::filesystem::path file) : file_(std::move(file)) {}

    // device is "major:minor"; spaces in paths are escaped as the kernel does.
    MountInfoFile& add(const std::string& device, const std::string& fsRoot, const std::string& mountPoint,
                       const std::string& fsType, const std::string& source, const std::string& options = "rw");
    // Writes the lines so far; returns the file's path.
    std::string write() const;

private:
    std::filesystem::path file_;
    std::string text_;
    int nextId_ = 20;
};

}  // namespace corvath::test
