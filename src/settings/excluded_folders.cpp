#include "settings/excluded_folders.h"

#include "settings/analyzer_settings.h"
#include "settings/registry_access.h"
#include "text/split.h"

namespace corvath {

std::vector<std::string> loadExcludedFolders(RegistryStore& store) {
    std::string text;
    readRegistryText(store, Hive::CurrentUser, kSettingsKey, kExcludedFolders, text);
    std::vector<std::string> patterns;
    if (text.empty()) return patterns;
    for (std::string& field : splitAt(text, '\t')) {
        if (!field.empty()) patterns.push_back(std::move(field));
    }
    return patterns;
}

std::vector<std::string> saveExcludedFolders(RegistryStore& store, const std::vector<std::string>& patterns) {
    std::string text;
    std::vector<std::string> leftOut;
    for (const std::string& pattern : patterns) {
        if (pattern.empty()) continue;
        if (pattern.find('\t') != std::string::npos) {
            leftOut.push_back(pattern);
            continue;
        }
        if (!text.empty()) text += '\t';
        text += pattern;
    }
    writeRegistryText(store, Hive::CurrentUser, kSettingsKey, kExcludedFolders, text);
    return leftOut;
}

}  // namespace corvath
