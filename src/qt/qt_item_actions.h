#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "run/file_manager.h"
#include "run/trash_can.h"

class QWidget;

namespace corvath {

// A folder or file of the shown scan that the user acts on.
struct ActionTarget {
    std::string path;  // full path, raw bytes
    std::uint64_t size = 0;  // allocated bytes, as the scan stored them
    bool folder = false;
    std::string root;                               // the scan's root: the drive the item is found from
    std::chrono::system_clock::time_point scanned;  // when that scan finished
};

// How long the item is measured before the question is asked.
inline constexpr std::chrono::milliseconds kTrashMeasureBound{2000};

// Opens the folder, or the folder that holds the file, in the desktop's file
// manager.
void openInFileManager(FileManager& fileManager, const ActionTarget& target);

// Puts the full path on the clipboard.
void copyPath(const ActionTarget& target);

// Measures the item (at most kTrashMeasureBound), then asks, naming it and the
// size it has now (else the scan's, with its date); on Yes moves it to the
// trash (never deletes it). Returns true when it was moved; a refusal or a
// failure is shown in a box and returns false, as does No.
bool moveToTrashAfterAsking(QWidget* parent, TrashCan& trash, const ActionTarget& target);

}  // namespace corvath
