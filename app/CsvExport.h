#pragma once
// Comma-separated output of the results table: one line per row, every line ending in
// CR LF, cells separated by ",", text written byte for byte as the table holds it.
#include <string>

#include "rtl/CsvText.h"
#include "rtl/Exception.h"

namespace veskin {

class TStringGrid;

// The file could not be created or opened for writing ("Cannot Create file <name>").
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// Writes every row of grid to fileName, replacing the file. Raises EFCreateError when
// the file cannot be opened and EInOutError with the system's reason when writing fails.
void WriteCsvFile(const std::string& fileName, const TStringGrid& grid);

}  // namespace veskin
