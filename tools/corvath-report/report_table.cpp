#include "report_table.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace corvath {

namespace {

// Columns are measured in characters, not bytes, so UTF-8 names line up.
std::size_t widthOf(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The code point of the UTF-8 sequence at text[at], and its length; nullopt
// where the bytes there are not one (overlong forms and surrogates included).
std::optional<std::pair<char32_t, std::size_t>> decodeAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return std::pair<char32_t, std::size_t>{lead, 1};
    std::size_t length = 0;
    char32_t point = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, point = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, point = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, point = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + length > text.size()) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return std::nullopt;
    return std::pair<char32_t, std::size_t>{point, length};
}

// Characters a terminal acts on, or that show as nothing at all.
bool invisible(char32_t point) {
    return point < 0x20 || (point >= 0x7F && point <= 0x9F) || (point >= 0x200B && point <= 0x200F) ||
           (point >= 0x2028 && point <= 0x202E) || (point >= 0x2060 && point <= 0x2069) || point == 0xFEFF;
}

void appendHex(std::string& out, const char* prefix, std::uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 15];
}

bool validUtf8(std::string_view raw) {
    for (std::size_t at = 0; at < raw.size();) {
        const auto decoded = decodeAt(raw, at);
        if (!decoded) return false;
        at += decoded->second;
    }
    return true;
}

}  // namespace

std::string shownName(std::string_view raw, bool backslashes) {
    std::string shown;
    shown.reserve(raw.size());
    for (std::size_t at = 0; at < raw.size();) {
        const auto decoded = decodeAt(raw, at);
        if (!decoded) {
            appendHex(shown, "\\x", static_cast<unsigned char>(raw[at]), 2);
            ++at;
            continue;
        }
        const auto [point, length] = *decoded;
        if (point == '\n') {
            shown += "\\n";
        } else if (point == '\t') {
            shown += "\\t";
        } else if (point == '\r') {
            shown += "\\r";
        } else if (point == '\\' && backslashes) {
            shown += "\\\\";
        } else if (invisible(point)) {
            if (point <= 0x7F) {
                appendHex(shown, "\\x", point, 2);
            } else {
                appendHex(shown, "\\u", point, 4);
            }
        } else {
            shown.append(raw.substr(at, length));
        }
        at += length;
    }
    return shown;
}

std::string base64IfNotUtf8(std::string_view raw) {
    if (validUtf8(raw)) return {};
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (std::size_t i = 0; i < raw.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(raw[i]) << 16;
        if (i + 1 < raw.size()) group |= static_cast<unsigned char>(raw[i + 1]) << 8;
        if (i + 2 < raw.size()) group |= static_cast<unsigned char>(raw[i + 2]);
        encoded += kDigits[(group >> 18) & 63];
        encoded += kDigits[(group >> 12) & 63];
        encoded += i + 1 < raw.size() ? kDigits[(group >> 6) & 63] : '=';
        encoded += i + 2 < raw.size() ? kDigits[group & 63] : '=';
    }
    return encoded;
}

nlohmann::json jsonText(std::string_view raw) {
    if (validUtf8(raw)) return std::string(raw);
    std::string replaced;
    for (std::size_t at = 0; at < raw.size();) {
        const auto decoded = decodeAt(raw, at);
        if (!decoded) {
            replaced += "\xef\xbf\xbd";  // U+FFFD
            ++at;
            continue;
        }
        replaced.append(raw.substr(at, decoded->second));
        at += decoded->second;
    }
    return replaced;
}

void JsonRows::add(const nlohmann::json& object) {
    // The array's layout, as a whole dump with an indent of 2 would have it.
    std::string text = object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string indented = "  ";
    for (const char c : text) {
        indented += c;
        if (c == '\n') indented += "  ";
    }
    out_ << (any_ ? ",\n" : "[\n") << indented;
    any_ = true;
}

void JsonRows::finish() { out_ << (any_ ? "\n]\n" : "[]\n"); }

std::vector<ReportTable::Cell> ReportTable::cellsOf(const Row& row) const {
    std::vector<Cell> cells = row.cells;
    if (row.last) cells.push_back(row.last());
    return cells;
}

void ReportTable::print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    for (const Column& column : columns_) widths.push_back(widthOf(column.heading));
    for (const Row& row : rows_) {
        // The last column is not padded, so its cells need not be made to measure it.
        for (std::size_t i = 0; i < row.cells.size() && i + 1 < widths.size(); ++i) {
            widths[i] = std::max(widths[i], widthOf(row.cells[i].text));
        }
    }
    auto line = [&](const std::vector<std::string>& texts) {
        std::string text;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i].jsonOnly) continue;
            const std::string& cell = i < texts.size() ? texts[i] : std::string();
            const bool last = i + 1 == columns_.size();
            const std::size_t width = widthOf(cell);
            const std::string pad(!last && widths[i] > width ? widths[i] - width : 0, ' ');
            if (i > 0) text += "  ";
            text += columns_[i].right ? pad + cell : (last ? cell : cell + pad);
        }
        out << text << '\n';
    };
    std::vector<std::string> texts;
    for (const Column& column : columns_) texts.push_back(column.heading);
    line(texts);
    for (const Row& row : rows_) {
        texts.clear();
        for (const Cell& cell : cellsOf(row)) texts.push_back(cell.text);
        line(texts);
    }
}

void ReportTable::writeJson(JsonRows& out, const nlohmann::json& extra) const {
    for (const Row& row : rows_) {
        nlohmann::json object = extra;
        const std::vector<Cell> cells = cellsOf(row);
        for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
            object[columns_[i].key] = cells[i].value;
            if (!cells[i].base64.empty()) object[columns_[i].key + "_base64"] = cells[i].base64;
        }
        out.add(object);
    }
}

}  // namespace corvath
