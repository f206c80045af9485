#include "report_table.h"

#include <algorithm>

namespace corvath {

namespace {

// Columns are measured in characters, not bytes, so UTF-8 names line up.
std::size_t widthOf(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::string shownName(const std::string& raw) {
    std::string shown = raw;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return shown;
}

void ReportTable::print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    for (const Column& column : columns_) widths.push_back(widthOf(column.heading));
    for (const auto& row : rows_) {
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
            widths[i] = std::max(widths[i], widthOf(row[i].text));
        }
    }
    auto line = [&](auto textOf) {
        std::string text;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const std::string cell = textOf(i);
            const std::string pad(widths[i] - widthOf(cell), ' ');
            if (i > 0) text += "  ";
            // The last column (a path) is not padded on the right.
            text += columns_[i].right ? pad + cell : (i + 1 == columns_.size() ? cell : cell + pad);
        }
        out << text << '\n';
    };
    line([&](std::size_t i) { return columns_[i].heading; });
    for (const auto& row : rows_) line([&](std::size_t i) { return i < row.size() ? row[i].text : std::string(); });
}

void ReportTable::appendJson(nlohmann::json& array, const nlohmann::json& extra) const {
    for (const auto& row : rows_) {
        nlohmann::json object = extra;
        for (std::size_t i = 0; i < row.size() && i < columns_.size(); ++i) object[columns_[i].key] = row[i].value;
        array.push_back(std::move(object));
    }
}

}  // namespace corvath
