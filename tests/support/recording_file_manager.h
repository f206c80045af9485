#pragma once

#include "run/file_manager.h"

#include <string>
#include <vector>

namespace corvath::test {

// Records the folders the file manager was asked to open.
class RecordingFileManager : public FileManager {
public:
    void open(const std::string& root) override { opened.push_back(root); }
    std::vector<std::string> opened;
};

}  // namespace corvath::test
