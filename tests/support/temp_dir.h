#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes. Read-only folders inside are made writable first.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Writes text to a file, creating its folders.
void writeFile(const std::filesystem::path& file, const std::string& text);
std::string readFile(const std::filesystem::path& file);

}  // namespace corvath::test
