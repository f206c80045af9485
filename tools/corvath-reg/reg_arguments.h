#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath {

// A command line that cannot be carried out; the text is the one line shown.
class RegUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class RegVerb { Query, Add, Delete, Help };

struct RegArguments {
    RegVerb verb = RegVerb::Help;
    std::string keyName;               // as typed
    std::string keyPath;               // normalized, below the hive; "" for the hive
    std::optional<std::string> value;  // /v NAME, or "" for /ve
    std::string type = "REG_SZ";       // /t
    std::optional<std::string> data;   // /d
    char separator = '\0';             // /s; NUL: entries split at the two characters "\0"
    bool force = false;                // /f
};

// reg.exe's verbs and switches, either spelling of the hive; switches may be
// written /x or -x in any case. Throws RegUsageError.
RegArguments parseRegArguments(const std::vector<std::string>& args);

// "HKEY_CURRENT_USER" followed by the key path, as listings show a key.
std::string fullKeyName(const std::string& keyPath);

}  // namespace corvath
