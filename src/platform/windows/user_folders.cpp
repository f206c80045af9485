#include "platform/windows/user_folders.h"

#include <cstdlib>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace fs = std::filesystem;

namespace corvath {

fs::path localAppDataFolder() {
    PWSTR known = nullptr;
    fs::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &known))) {
        folder = known;
    }
    CoTaskMemFree(known);
    // A profile without the shell's folder still names it in its environment.
    if (folder.empty()) {
        if (const wchar_t* value = _wgetenv(L"LOCALAPPDATA"); value != nullptr && *value != L'\0') {
            folder = value;
        }
    }
    return folder;
}

fs::path defaultResultsDatabasePath() { return localAppDataFolder() / "Corvath" / "scans.db"; }

}  // namespace corvath
