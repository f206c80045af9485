#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace corvath {

// One table of a report: aligned columns for people, an array of objects
// (one per row, keyed by column) for programs.
class ReportTable {
public:
    struct Column {
        std::string heading;
        std::string key;
        bool right = false;  // numbers line up on the right
    };
    struct Cell {
        std::string text;
        nlohmann::json value;
    };

    explicit ReportTable(std::vector<Column> columns) : columns_(std::move(columns)) {}
    void add(std::vector<Cell> row) { rows_.push_back(std::move(row)); }
    bool empty() const { return rows_.empty(); }

    void print(std::ostream& out) const;
    // Appends the rows to an array, each with extra's fields too.
    void appendJson(nlohmann::json& array, const nlohmann::json& extra = nlohmann::json::object()) const;

private:
    std::vector<Column> columns_;
    std::vector<std::vector<Cell>> rows_;
};

// A path or name for a terminal: control characters (a newline in a name)
// shown as "?", as ls does, so that one entry stays one line.
std::string shownName(const std::string& raw);

}  // namespace corvath
