#pragma once

#include "run/file_manager.h"

namespace corvath {

// Opens a folder with the desktop's file manager through xdg-open, started
// directly (no shell, so no quoting of odd mount points) and detached: the
// program neither waits for it nor leaves a zombie behind.
class XdgFileManager : public FileManager {
public:
    void open(const std::string& root) override;
};

}  // namespace corvath
