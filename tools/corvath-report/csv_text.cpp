#include "csv_text.h"

#include <stdexcept>

namespace corvath {

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void CsvRows::header(const std::vector<std::string>& names) {
    if (started_) {
        if (names != header_) throw std::logic_error("CSV tables of one report differ in their columns");
        return;
    }
    header_ = names;
    started_ = true;
    record(names);
}

void CsvRows::record(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += csvField(fields[i]);
    }
    line += "\r\n";
    out_ << line;
}

}  // namespace corvath
