#pragma once

#include <filesystem>
#include <string>

namespace corvath::test {

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string unixPathOf(const std::filesystem::path& windowsPath);

// A drive letter defined through Wine's mount manager, as winecfg defines one:
// the prefix's dosdevices link to a Unix folder and the drive's type (a Windows
// DRIVE_* code). The folder need not exist: a drive with no medium. Removed
// again, link and name, when the object goes.
class WineDrive {
public:
    WineDrive(char letter, unsigned type, const std::string& unixFolder);
    ~WineDrive();
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;

    bool defined() const { return defined_; }

private:
    char letter_;
    bool defined_ = false;
};

}  // namespace corvath::test
