#include "reg_commands.h"

#include "reg_value_format.h"
#include "platform/linux/user_folders.h"
#include "text/ascii_case.h"

#include <ostream>

namespace corvath {

namespace {

constexpr const char* kDone = "The operation completed successfully.";
constexpr const char* kNotFound = "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kDeclined = "The operation was canceled by the user.";

std::string shownName(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

const NamedRegistryValue* findValue(const RegistryKeyContents& key, const std::string& name) {
    for (const NamedRegistryValue& value : key.values) {
        if (equalsIgnoringCase(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

// One value, one line, whatever bytes its name and text hold.
void printValue(std::ostream& out, const NamedRegistryValue& value) {
    out << "    " << onOneLine(shownName(value.name)) << "    " << valueTypeName(value.value.type) << "    "
        << onOneLine(formatValueData(value.value)) << '\n';
}

// Yes goes ahead; an explicit No, or no one there to answer, declines.
bool askOrDecline(const RegConfirm& confirm, const std::string& question, std::ostream& out, std::ostream& err) {
    const std::optional<bool> answer = confirm(question);
    if (!answer) {
        err << "ERROR: " << question << " No answer (no terminal); treated as No, nothing was changed. Add /f to skip the question.\n";
        return false;
    }
    if (!*answer) {
        out << kDeclined << '\n';
        return false;
    }
    return true;
}

int query(const RegArguments& args, RegistryStoreEditor& store, std::ostream& out, std::ostream& err) {
    const std::optional<RegistryKeyContents> key = store.readKey(Hive::CurrentUser, args.keyPath);
    if (!key) {
        err << kNotFound << '\n';
        return 1;
    }
    if (args.value) {
        const NamedRegistryValue* value = findValue(*key, *args.value);
        if (value == nullptr) {
            err << kNotFound << '\n';
            return 1;
        }
        out << '\n' << fullKeyName(args.keyPath) << '\n';
        printValue(out, *value);
        out << '\n';
        return 0;
    }
    out << '\n' << fullKeyName(args.keyPath) << '\n';
    for (const NamedRegistryValue& value : key->values) {
        printValue(out, value);
    }
    out << '\n';
    for (const std::string& subkey : key->subkeyPaths) {
        out << fullKeyName(subkey) << '\n';
    }
    return 0;
}

int add(const RegArguments& args, RegistryStoreEditor& store, std::ostream& out, std::ostream& err,
        const RegConfirm& confirm) {
    if (!args.value) {
        store.createKey(Hive::CurrentUser, args.keyPath);
        out << kDone << '\n';
        return 0;
    }
    // Checked before anything is asked or written, so bad data changes nothing.
    const std::uint32_t type = parseValueType(args.type);
    const std::vector<std::uint8_t> data = encodeValueData(type, args.data, args.separator);
    if (!args.force) {
        const std::optional<RegistryKeyContents> key = store.readKey(Hive::CurrentUser, args.keyPath);
        if (key && findValue(*key, *args.value) != nullptr &&
            !askOrDecline(confirm, "Value " + shownName(*args.value) + " exists, overwrite(Yes/No)?", out, err)) {
            return 1;
        }
    }
    store.setValue(Hive::CurrentUser, args.keyPath, *args.value, type, data);
    out << kDone << '\n';
    return 0;
}

int remove(const RegArguments& args, RegistryStoreEditor& store, std::ostream& out, std::ostream& err,
           const RegConfirm& confirm) {
    const std::optional<RegistryKeyContents> key = store.readKey(Hive::CurrentUser, args.keyPath);
    if (!key || (args.value && findValue(*key, *args.value) == nullptr)) {
        err << kNotFound << '\n';
        return 1;
    }
    if (!args.force) {
        const std::string question = args.value
                                         ? "Delete the registry value " + shownName(*args.value) + " (Yes/No)?"
                                         : "Permanently delete the registry key " + fullKeyName(args.keyPath) + " (Yes/No)?";
        if (!askOrDecline(confirm, question, out, err)) {
            return 1;
        }
    }
    const bool found = args.value ? store.deleteValue(Hive::CurrentUser, args.keyPath, *args.value)
                                  : store.deleteKey(Hive::CurrentUser, args.keyPath);
    if (!found) {
        err << kNotFound << '\n';
        return 1;
    }
    out << kDone << '\n';
    return 0;
}

}  // namespace

int runRegCommand(const RegArguments& args, RegistryStoreEditor& store, std::ostream& out, std::ostream& err,
                  const RegConfirm& confirm) {
    try {
        switch (args.verb) {
        case RegVerb::Query:
            return query(args, store, out, err);
        case RegVerb::Add:
            return add(args, store, out, err, confirm);
        case RegVerb::Delete:
            return remove(args, store, out, err, confirm);
        case RegVerb::Help:
            printRegUsage(out);
            return 0;
        }
    } catch (const RegUsageError& error) {
        err << error.what() << '\n';
    } catch (const StoreError& error) {
        err << "ERROR: " << error.what() << ".\n";
    }
    return 1;
}

void printRegUsage(std::ostream& out) {
    out << "corvath-reg: the Corvath settings store's command line, after reg.exe.\n\n"
           "  corvath-reg query KEY [/v NAME | /ve]\n"
           "  corvath-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
           "  corvath-reg delete KEY [/v NAME | /ve] [/f]\n"
           "  corvath-reg --help | --version\n\n"
           "  KEY   HKCU\\PATH or HKEY_CURRENT_USER\\PATH, e.g. HKCU\\Software\\Tamsel\n"
           "  TYPE  REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY\n"
           "  DATA  REG_MULTI_SZ entries are separated by \\0 (or by /s SEPARATOR);\n"
           "        REG_DWORD is decimal or 0x hexadecimal; REG_BINARY is hex digits.\n"
           "  /f    overwrite or delete without asking.\n\n"
        << "The store is $XDG_CONFIG_HOME/corvath/registry.db (" << kSettingsStoreText << ");\n"
           "add creates it when there is none, holding the empty key HKCU\\Software\\Tamsel.\n";
}

}  // namespace corvath
