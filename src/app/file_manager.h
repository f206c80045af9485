#pragma once

#include <string>

namespace corvath {

// Starts the desktop's file manager on a folder; the outcome is not examined.
class FileManager {
public:
    virtual ~FileManager() = default;
    virtual void open(const std::string& root) = 0;
};

}  // namespace corvath
