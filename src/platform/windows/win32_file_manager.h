#pragma once

#include "run/file_manager.h"

#include <string>

namespace corvath {

// Opens Windows Explorer on a drive root, in the folder view with the tree,
// owned by the desktop window; whether it starts is not examined.
class Win32FileManager : public FileManager {
public:
    void open(const std::string& root) override;
};

// Explorer's parameters for a root: "/e, " and the root ("/e, D:\").
std::string explorerParameters(const std::string& root);

}  // namespace corvath
