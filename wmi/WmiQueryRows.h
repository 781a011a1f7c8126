#pragma once
// The records of an open query as rows of text under a row of column names: the run
// that the window's "Test!" and the console program share. A sink receives the
// column names once, then each record's row as soon as it is read, and may end the
// run between records.
#include <cstdint>
#include <string>
#include <vector>

namespace veskin {

class TWmiDataSet;

class TWmiRowSink {
public:
    virtual ~TWmiRowSink() = default;
    // Once, before the first row; not called for a query without records.
    virtual void Columns(const std::vector<std::string>& names) = 0;
    // Appends the current record's cells to cells, one at a time, so that a failure
    // leaves those already read. By default each field's ValueText, in field order.
    virtual void ReadCells(TWmiDataSet& query, std::vector<std::string>& cells);
    // Each record's cells, with the query still standing on the record.
    virtual void Row(const std::vector<std::string>& cells) = 0;
    // After the move past a record: the number of rows delivered so far.
    virtual void Moved(std::int32_t rows) { (void)rows; }
    // A record whose cells could not all be read: those read before the failure,
    // which then leaves WmiQueryRows.
    virtual void Unfinished(const std::vector<std::string>& cells) { (void)cells; }
    // Asked before each record; true ends the run there.
    virtual bool StopRequested() { return false; }
};

// The fields' display names, in field order.
std::vector<std::string> WmiColumnNames(TWmiDataSet& query);

// Hands every record from the current one to the end (or to a stop) to sink, moving
// the query on after each row. Failures of the query or the sink propagate. Answers
// the number of rows delivered.
std::int32_t WmiQueryRows(TWmiDataSet& query, TWmiRowSink& sink);

}  // namespace veskin
