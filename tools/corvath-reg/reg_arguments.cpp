#include "reg_arguments.h"

#include "platform/linux/registry_key_path.h"

#include <algorithm>
#include <cctype>

namespace corvath {

namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

void parseKey(const std::string& name, RegArguments& parsed) {
    const std::size_t slash = name.find('\\');
    const std::string root = upper(name.substr(0, slash));
    if (root != "HKCU" && root != "HKEY_CURRENT_USER") {
        if (root == "HKLM" || root == "HKCR" || root == "HKU" || root == "HKCC" || root.rfind("HKEY_", 0) == 0) {
            throw RegUsageError("ERROR: Invalid key name \"" + name +
                                "\": the settings store holds only HKCU (HKEY_CURRENT_USER).");
        }
        throw RegUsageError("ERROR: Invalid key name \"" + name + "\": it must start with HKCU\\ or HKEY_CURRENT_USER\\.");
    }
    const std::optional<std::string> path =
        normalizeKeyPath(slash == std::string::npos ? std::string_view() : std::string_view(name).substr(slash + 1));
    if (!path) {
        throw RegUsageError("ERROR: Invalid key name \"" + name + "\": empty part between backslashes.");
    }
    parsed.keyName = name;
    parsed.keyPath = *path;
}

}  // namespace

std::string fullKeyName(const std::string& keyPath) {
    return keyPath.empty() ? "HKEY_CURRENT_USER" : "HKEY_CURRENT_USER\\" + keyPath;
}

RegArguments parseRegArguments(const std::vector<std::string>& args) {
    RegArguments parsed;
    if (args.empty()) {
        throw RegUsageError("ERROR: Invalid syntax. Use \"corvath-reg query|add|delete KEY ...\" or \"corvath-reg /?\".");
    }
    const std::string verb = upper(args[0]);
    if (verb == "/?" || verb == "-?" || verb == "--HELP") {
        return parsed;
    }
    if (verb == "QUERY") {
        parsed.verb = RegVerb::Query;
    } else if (verb == "ADD") {
        parsed.verb = RegVerb::Add;
    } else if (verb == "DELETE") {
        parsed.verb = RegVerb::Delete;
    } else {
        throw RegUsageError("ERROR: Invalid operation \"" + args[0] + "\": use query, add or delete.");
    }
    if (args.size() < 2) {
        throw RegUsageError("ERROR: Invalid syntax. A key name such as HKCU\\Software\\Tamsel is needed.");
    }
    parseKey(args[1], parsed);

    bool sawType = false;
    bool sawSeparator = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = (arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-')) ? upper(arg.substr(1)) : "";
        const bool adding = parsed.verb == RegVerb::Add;
        auto operand = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw RegUsageError("ERROR: Invalid syntax. Switch \"" + arg + "\" needs a value.");
            }
            return args[++i];
        };
        auto once = [&](bool already) {
            if (already) {
                throw RegUsageError("ERROR: Invalid syntax. Switch \"" + arg + "\" is given more than once.");
            }
        };
        if (name == "V" || name == "VE") {
            once(parsed.value.has_value());
            parsed.value = name == "VE" ? std::string() : operand();
        } else if (name == "F" && parsed.verb != RegVerb::Query) {
            once(parsed.force);
            parsed.force = true;
        } else if (name == "T" && adding) {
            once(sawType);
            sawType = true;
            parsed.type = upper(operand());
        } else if (name == "D" && adding) {
            once(parsed.data.has_value());
            parsed.data = operand();
        } else if (name == "S" && adding) {
            once(sawSeparator);
            sawSeparator = true;
            const std::string& separator = operand();
            if (separator.size() != 1) {
                throw RegUsageError("ERROR: Invalid syntax. The separator given with /s must be one character.");
            }
            parsed.separator = separator[0];
        } else {
            throw RegUsageError("ERROR: Invalid syntax. \"" + arg + "\" is not a switch of " + upper(args[0]) + ".");
        }
    }
    if (parsed.verb == RegVerb::Add && !parsed.value && (sawType || parsed.data || sawSeparator)) {
        throw RegUsageError("ERROR: Invalid syntax. /t, /d and /s need a value name: add /v NAME or /ve.");
    }
    if (parsed.verb == RegVerb::Delete && !parsed.value && parsed.keyPath.empty()) {
        throw RegUsageError("ERROR: Invalid key name \"" + args[1] + "\": the hive itself cannot be deleted.");
    }
    return parsed;
}

}  // namespace corvath
