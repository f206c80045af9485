#include "reg_value_format.h"

#include "reg_arguments.h"
#include "text/ascii_case.h"

#include <cstdio>

namespace corvath {

namespace {

struct TypeName {
    std::uint32_t type;
    const char* name;
};

constexpr TypeName kWritable[] = {
    {reg::kSz, "REG_SZ"},     {reg::kExpandSz, "REG_EXPAND_SZ"}, {reg::kMultiSz, "REG_MULTI_SZ"},
    {reg::kDword, "REG_DWORD"}, {reg::kBinary, "REG_BINARY"},
};

constexpr TypeName kShownOnly[] = {
    {0, "REG_NONE"}, {5, "REG_DWORD_BIG_ENDIAN"}, {6, "REG_LINK"}, {11, "REG_QWORD"},
};

std::vector<std::uint8_t> withNul(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::vector<std::uint8_t> encodeList(const std::string& data, char separator) {
    const std::string_view mark = separator == '\0' ? std::string_view("\\0") : std::string_view(&separator, 1);
    std::vector<std::uint8_t> bytes;
    if (data.empty()) {
        bytes.push_back(0);
        return bytes;
    }
    for (std::size_t start = 0;;) {
        const std::size_t end = data.find(mark, start);
        const std::string_view entry = std::string_view(data).substr(start, end == std::string::npos ? end : end - start);
        if (entry.empty()) {
            // An empty string would end the list early for every reader.
            throw RegUsageError("ERROR: Invalid data for REG_MULTI_SZ: an entry is empty in \"" + data + "\".");
        }
        bytes.insert(bytes.end(), entry.begin(), entry.end());
        bytes.push_back(0);
        if (end == std::string::npos) {
            break;
        }
        start = end + mark.size();
    }
    bytes.push_back(0);
    return bytes;
}

std::vector<std::uint8_t> encodeNumber(const std::string& data) {
    const bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
    const std::string_view digits = hex ? std::string_view(data).substr(2) : std::string_view(data);
    const unsigned base = hex ? 16 : 10;
    std::uint64_t number = 0;
    bool valid = !digits.empty();
    for (char c : digits) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            valid = false;
            break;
        }
        number = number * base + digit;
        if (number > 0xFFFFFFFFull) {
            throw RegUsageError("ERROR: Invalid data for REG_DWORD: \"" + data +
                                "\" is out of range (0 to 4294967295, or 0x0 to 0xffffffff).");
        }
    }
    if (!valid) {
        throw RegUsageError("ERROR: Invalid data for REG_DWORD: \"" + data +
                            "\" is not a decimal number or a 0x hexadecimal number.");
    }
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    }
    return bytes;
}

std::vector<std::uint8_t> encodeBinary(const std::string& data) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (data.size() % 2 != 0) {
        throw RegUsageError("ERROR: Invalid data for REG_BINARY: \"" + data + "\" has an odd number of hex digits.");
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        const int high = nibble(data[i]);
        const int low = nibble(data[i + 1]);
        if (high < 0 || low < 0) {
            throw RegUsageError("ERROR: Invalid data for REG_BINARY: \"" + data + "\" holds a character that is not a hex digit.");
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string hexDigits(const std::vector<std::uint8_t>& data) {
    std::string text;
    char pair[3];
    for (std::uint8_t byte : data) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += pair;
    }
    return text;
}

std::string untilNul(const std::vector<std::uint8_t>& data, std::size_t from = 0) {
    std::string text;
    for (std::size_t i = from; i < data.size() && data[i] != 0; ++i) {
        text.push_back(static_cast<char>(data[i]));
    }
    return text;
}

}  // namespace

std::uint32_t parseValueType(const std::string& name) {
    for (const TypeName& known : kWritable) {
        if (equalsIgnoringCase(name, known.name)) {
            return known.type;
        }
    }
    throw RegUsageError("ERROR: Invalid type \"" + name +
                        "\": use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD or REG_BINARY.");
}

std::string valueTypeName(std::uint32_t type) {
    for (const TypeName& known : kWritable) {
        if (known.type == type) return known.name;
    }
    for (const TypeName& known : kShownOnly) {
        if (known.type == type) return known.name;
    }
    return "REG_TYPE_" + std::to_string(type);
}

std::vector<std::uint8_t> encodeValueData(std::uint32_t type, const std::optional<std::string>& data, char separator) {
    switch (type) {
    case reg::kSz:
    case reg::kExpandSz:
        return withNul(data.value_or(""));
    case reg::kMultiSz:
        return encodeList(data.value_or(""), separator);
    case reg::kDword:
        return encodeNumber(data.value_or("0"));
    default:
        return encodeBinary(data.value_or(""));
    }
}

std::string onOneLine(std::string_view text) {
    std::string shown;
    char escape[5];
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if ((byte < 0x20 && c != '\t') || byte == 0x7f) {
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

std::string formatValueData(const RegistryValue& value) {
    switch (value.type) {
    case reg::kSz:
    case reg::kExpandSz:
        return untilNul(value.data);
    case reg::kMultiSz: {
        std::string text;
        for (std::size_t i = 0; i < value.data.size() && value.data[i] != 0;) {
            const std::string entry = untilNul(value.data, i);
            text += (text.empty() ? "" : "\\0") + entry;
            i += entry.size() + 1;
        }
        return text;
    }
    case reg::kDword:
        if (value.data.size() == 4) {
            std::uint32_t number = 0;
            for (int i = 3; i >= 0; --i) {
                number = (number << 8) | value.data[static_cast<std::size_t>(i)];
            }
            char text[16];
            std::snprintf(text, sizeof text, "0x%x", number);
            return text;
        }
        return hexDigits(value.data);
    default:
        return hexDigits(value.data);
    }
}

}  // namespace corvath
