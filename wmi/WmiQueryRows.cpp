#include "wmi/WmiQueryRows.h"

#include "recordset/Field.h"
#include "wmi/WmiDataSet.h"

namespace veskin {

void TWmiRowSink::ReadCells(TWmiDataSet& query, std::vector<std::string>& cells) {
    for (int c = 0; c < query.FieldCount(); ++c) cells.push_back(query.Fields(c)->ValueText());
}

std::vector<std::string> WmiColumnNames(TWmiDataSet& query) {
    std::vector<std::string> names;
    for (int c = 0; c < query.FieldCount(); ++c) names.push_back(query.Fields(c)->DisplayName());
    return names;
}

std::int32_t WmiQueryRows(TWmiDataSet& query, TWmiRowSink& sink) {
    std::int32_t rows = 0;
    std::vector<std::string> cells;
    while (!query.Eof() && !sink.StopRequested()) {
        if (rows == 0) sink.Columns(WmiColumnNames(query));
        cells.clear();
        try {
            sink.ReadCells(query, cells);
        } catch (...) {
            sink.Unfinished(cells);
            throw;
        }
        sink.Row(cells);
        query.Next();
        ++rows;
        sink.Moved(rows);
    }
    return rows;
}

}  // namespace veskin
