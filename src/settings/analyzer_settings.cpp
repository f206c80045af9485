#include "settings/analyzer_settings.h"

#include "settings/registry_access.h"
#include "text/ascii_case.h"
#include "text/split.h"

namespace corvath {

namespace {

// Every setting is read from an empty text and the read's own result is ignored,
// so a missing or unreadable value reads as "".
std::string readSetting(RegistryStore& store, const char* valueName) {
    std::string text;
    readRegistryText(store, Hive::CurrentUser, kSettingsKey, valueName, text);
    return text;
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

bool loadRememberFlag(RegistryStore& store, RememberBox* box) {
    const bool remember = !equalsIgnoringCase(readSetting(store, kSaveAnalyzerSettings), "no");
    if (box != nullptr) {
        box->setTicked(remember);
    }
    return remember;
}

void loadSavedSelection(RegistryStore& store, SavedSelection& saved) {
    const std::string text = readSetting(store, kSelectedDrives);
    if (text.empty()) {
        return;
    }
    // Only spaces count as blank here; a TAB alone is two empty entries.
    if (isBlank(text)) {
        saved.present = false;
        return;
    }
    saved.present = true;
    saved.entries = splitSelectedDrives(text);
}

std::vector<std::string> saveSelection(RegistryStore& store, const std::vector<std::string>& driveSelection) {
    std::vector<std::string> kept;
    std::vector<std::string> leftOut;
    for (const std::string& drive : driveSelection) {
        (drive.find('\t') == std::string::npos ? kept : leftOut).push_back(drive);
    }
    writeRegistryText(store, Hive::CurrentUser, kSettingsKey, kSelectedDrives, joinSelectedDrives(kept));
    return leftOut;
}

bool readStartExplorer(RegistryStore& store) {
    return readSetting(store, kStartExplorer) == "1";
}

bool readCloseWhenDone(RegistryStore& store) {
    return equalsIgnoringCase(readSetting(store, kCloseWhenDone), "yes");
}

void writeCheckBoxSetting(RegistryStore& store, const char* valueName, bool ticked) {
    writeRegistryText(store, Hive::CurrentUser, kSettingsKey, valueName, ticked ? "yes" : "no");
}

std::string joinSelectedDrives(const std::vector<std::string>& driveSelection) {
    std::string text;
    for (std::size_t i = 0; i < driveSelection.size(); ++i) {
        if (i > 0) {
            text.push_back('\t');
        }
        text += driveSelection[i];
    }
    return text;
}

std::vector<std::string> splitSelectedDrives(std::string_view text) { return splitAt(text, '\t'); }

}  // namespace corvath
