#pragma once

#include <cstdint>
#include <string>

#include "run/file_manager.h"

class QWidget;

namespace corvath {

// A folder or file of the shown scan that the user acts on.
struct ActionTarget {
    std::string path;  // full path, raw bytes
    std::uint64_t size = 0;
    bool folder = false;
};

// Opens the folder, or the folder that holds the file, in the desktop's file
// manager.
void openInFileManager(FileManager& fileManager, const ActionTarget& target);

// Puts the full path on the clipboard.
void copyPath(const ActionTarget& target);

// Asks first, naming the item and its size; on Yes moves it to the desktop's
// trash (never deletes it). Returns true when it was moved; a failure is shown
// in a box and returns false, as does No.
bool moveToTrashAfterAsking(QWidget* parent, const ActionTarget& target);

}  // namespace corvath
