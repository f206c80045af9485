#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// A field as RFC 4180 writes it: as it is, or in double quotes (quotes
// doubled) when it holds a comma, a quote, CR or LF.
std::string csvField(std::string_view text);

// RFC 4180 records, each ended by CRLF as the RFC has it, under one header:
// a report of several tables is still one table to a script.
class CsvRows {
public:
    explicit CsvRows(std::ostream& out) : out_(out) {}
    // Written once, before the first record; a later table must have the same
    // columns, or its rows would be read under the wrong names.
    void header(const std::vector<std::string>& names);
    void record(const std::vector<std::string>& fields);

private:
    std::ostream& out_;
    std::vector<std::string> header_;
    bool started_ = false;
};

}  // namespace corvath
