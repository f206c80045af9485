#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

class CsvRows;

// Writes a JSON array one object at a time, so that a long report is never
// held whole.
class JsonRows {
public:
    explicit JsonRows(std::ostream& out) : out_(out) {}
    void add(const nlohmann::json& object);
    // Closes the array; "[]" when nothing was added.
    void finish();

private:
    std::ostream& out_;
    bool any_ = false;
};

// One table of a report: aligned columns for people, objects (one per row,
// keyed by column) for programs.
class ReportTable {
public:
    struct Column {
        std::string heading;
        std::string key;
        bool right = false;  // numbers line up on the right
        bool jsonOnly = false;  // a fact for scripts that the table leaves out
        // How CSV writes the column, where its text cannot be JSON's as it is.
        // Name: bytes that may not be UTF-8, so CSV has a KEY_base64 column
        // beside it in every row (JSON adds that key only where it is needed).
        // Time: seconds since 1970, which CSV writes as UTC ISO 8601.
        enum class Kind { Value, Name, Time } kind = Kind::Value;
    };
    struct Cell {
        std::string text;
        nlohmann::json value;
        // For a name that is not UTF-8: its exact bytes, in base64, written as
        // KEY_base64 beside the value (which has U+FFFD where bytes are not UTF-8).
        std::string base64 = {};
    };
    // The row's last cell, made only when the row is written: a path can be
    // long, and a report can have many rows.
    using LateCell = std::function<Cell()>;
    // A value that every row of the table shares, such as the scan it is of.
    struct Field {
        Column column;
        Cell cell;
    };

    explicit ReportTable(std::vector<Column> columns) : columns_(std::move(columns)) {}
    // The row's cells; with last, all but the last column's.
    void add(std::vector<Cell> row, LateCell last = {}) { rows_.push_back({std::move(row), std::move(last)}); }
    bool empty() const { return rows_.empty(); }

    void print(std::ostream& out) const;
    // Adds the rows, each with extra's fields too.
    void writeJson(JsonRows& out, const nlohmann::json& extra = nlohmann::json::object()) const;
    // The rows as CSV records under the columns' JSON keys, leading's first;
    // the header is written once, before the first table's rows.
    void writeCsv(CsvRows& out, const std::vector<Field>& leading = {}) const;

private:
    struct Row {
        std::vector<Cell> cells;
        LateCell last;
    };
    std::vector<Cell> cellsOf(const Row& row) const;

    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

// A name or path for a terminal, one line and nothing the terminal would act
// on: bytes that are not UTF-8 as \xNN; control characters as \n, \t, \r,
// \xNN (C0 and DEL) or \uNNNN (C1 and the invisible formatting characters);
// with backslashes, a backslash as \\, so that every name shows differently.
// Windows names cannot hold a backslash: there it is only the separator.
#ifdef _WIN32
std::string shownName(std::string_view raw, bool backslashes = false);
#else
std::string shownName(std::string_view raw, bool backslashes = true);
#endif

// A name as JSON text (U+FFFD where its bytes are not UTF-8), and its exact
// bytes in base64 when they are not ("" otherwise).
nlohmann::json jsonText(std::string_view raw);
std::string base64IfNotUtf8(std::string_view raw);

}  // namespace corvath
