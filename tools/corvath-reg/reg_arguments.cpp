#include "reg_arguments.h"

#include "platform/linux/registry_key_path.h"
#include "text/ascii_case.h"

#include <initializer_list>
#include <string_view>

namespace corvath {

namespace {

bool isAnyOf(std::string_view word, std::initializer_list<std::string_view> choices) {
    for (std::string_view choice : choices) {
        if (equalsIgnoringCase(word, choice)) {
            return true;
        }
    }
    return false;
}

const char* verbName(RegVerb verb) {
    switch (verb) {
    case RegVerb::Query:
        return "QUERY";
    case RegVerb::Add:
        return "ADD";
    case RegVerb::Delete:
        return "DELETE";
    case RegVerb::Help:
        break;
    }
    return "HELP";
}

void parseKey(const std::string& name, RegArguments& parsed) {
    const std::size_t slash = name.find('\\');
    const std::string root = name.substr(0, slash);
    if (!isAnyOf(root, {"HKCU", "HKEY_CURRENT_USER"})) {
        if (isAnyOf(root, {"HKLM", "HKCR", "HKU", "HKCC"}) || startsWithIgnoringCase(root, 0, "HKEY_")) {
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
    const std::string& verb = args[0];
    if (isAnyOf(verb, {"/?", "-?", "--help"})) {
        return parsed;
    }
    if (equalsIgnoringCase(verb, "query")) {
        parsed.verb = RegVerb::Query;
    } else if (equalsIgnoringCase(verb, "add")) {
        parsed.verb = RegVerb::Add;
    } else if (equalsIgnoringCase(verb, "delete")) {
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
        const std::string_view name =
            (arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-')) ? std::string_view(arg).substr(1) : "";
        auto is = [&](std::string_view word) { return equalsIgnoringCase(name, word); };
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
        if (is("V") || is("VE")) {
            once(parsed.value.has_value());
            parsed.value = is("VE") ? std::string() : operand();
        } else if (is("F") && parsed.verb != RegVerb::Query) {
            once(parsed.force);
            parsed.force = true;
        } else if (is("T") && adding) {
            once(sawType);
            sawType = true;
            parsed.type = operand();
        } else if (is("D") && adding) {
            once(parsed.data.has_value());
            parsed.data = operand();
        } else if (is("S") && adding) {
            once(sawSeparator);
            sawSeparator = true;
            const std::string& separator = operand();
            if (separator.size() != 1) {
                throw RegUsageError("ERROR: Invalid syntax. The separator given with /s must be one character.");
            }
            parsed.separator = separator[0];
        } else {
            throw RegUsageError("ERROR: Invalid syntax. \"" + arg + "\" is not a switch of " + verbName(parsed.verb) + ".");
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
