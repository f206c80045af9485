#pragma once

#include "settings/registry_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvath {

inline constexpr const char* kSettingsKey = "Software\\Tamsel";
inline constexpr const char* kSaveAnalyzerSettings = "SaveAnalyzerSettings";
inline constexpr const char* kSelectedDrives = "SelectedDrives";
inline constexpr const char* kCloseWhenDone = "CloseWhenDone";
inline constexpr const char* kStartExplorer = "StartExplorer";

// The window's "Remember these settings" box, as loadRememberFlag sets it. Setting
// a state different from the current one runs the box's click handler.
class RememberBox {
public:
    virtual ~RememberBox() = default;
    virtual void setTicked(bool ticked) = 0;
};

struct SavedSelection {
    bool present = false;             // savedSelectionPresent
    std::vector<std::string> entries; // exactly as stored, untrimmed
};

// Returns rememberSelection. box is the window's check box in the interactive run,
// null in the unattended run.
bool loadRememberFlag(RegistryStore& store, RememberBox* box);
void loadSavedSelection(RegistryStore& store, SavedSelection& saved);
// driveSelection holds at least one entry. A drive whose name holds a TAB cannot
// be told apart from two drives in the stored text, so it is left out of it;
// the names left out are returned, in their order.
std::vector<std::string> saveSelection(RegistryStore& store, const std::vector<std::string>& driveSelection);
bool readStartExplorer(RegistryStore& store);
// The SelectedDrives text: entries joined with one TAB between each pair; split at
// every TAB, empty entries kept, nothing trimmed.
std::string joinSelectedDrives(const std::vector<std::string>& driveSelection);
std::vector<std::string> splitSelectedDrives(std::string_view text);
bool readCloseWhenDone(RegistryStore& store);
// The check-box handlers' write: "no" when unticked, "yes" otherwise.
void writeCheckBoxSetting(RegistryStore& store, const char* valueName, bool ticked);

}  // namespace corvath
