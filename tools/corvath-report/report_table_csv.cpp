// ReportTable's rows for scripts that read CSV: the values JSON has, under
// the same keys, so a script can move from one format to the other.
#include "csv_text.h"
#include "report_table.h"
#include "text/utc_time.h"

namespace corvath {

namespace {

using Kind = ReportTable::Column::Kind;

std::string csvValue(const nlohmann::json& value, Kind kind) {
    if (value.is_null()) return {};
    if (value.is_string()) return value.get<std::string>();
    if (kind == Kind::Time && value.is_number_integer()) return utcTimeText(value.get<std::int64_t>());
    if (value.is_array()) {
        // Exclude patterns: TAB-joined, as the setting and the database hold
        // them, since a pattern cannot hold a TAB.
        std::string joined;
        for (const nlohmann::json& item : value) {
            if (!joined.empty()) joined += '\t';
            joined += item.is_string() ? jsonText(item.get<std::string>()).get<std::string>() : item.dump();
        }
        return joined;
    }
    return value.dump();  // numbers, true and false, as JSON writes them
}

void addName(std::vector<std::string>& names, const ReportTable::Column& column) {
    names.push_back(column.key);
    if (column.kind == Kind::Name) names.push_back(column.key + "_base64");
}

void addField(std::vector<std::string>& fields, const ReportTable::Column& column, const ReportTable::Cell& cell) {
    fields.push_back(csvValue(cell.value, column.kind));
    if (column.kind == Kind::Name) fields.push_back(cell.base64);
}

}  // namespace

void ReportTable::writeCsv(CsvRows& out, const std::vector<Field>& leading) const {
    std::vector<std::string> names;
    for (const Field& field : leading) addName(names, field.column);
    for (const Column& column : columns_) addName(names, column);
    out.header(names);
    std::vector<std::string> fields;
    for (const Row& row : rows_) {
        fields.clear();
        for (const Field& field : leading) addField(fields, field.column, field.cell);
        const std::vector<Cell> cells = cellsOf(row);
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            addField(fields, columns_[i], i < cells.size() ? cells[i] : Cell{});
        }
        out.record(fields);
    }
}

}  // namespace corvath
