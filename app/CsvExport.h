#pragma once
// Comma-separated output of the results table: one line per row, every line ending in
// CR LF, cells separated by ",", text written byte for byte as the table holds it.
#include <string>

#include "rtl/Exception.h"

namespace veskin {

class TStringGrid;

// The file could not be created or opened for writing ("Cannot Create file <name>").
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// One cell as it is written: quotes doubled; quoted when it then holds a quote but no
// comma; "" when empty; with a comma, CR LF pairs become character 11 and the text is
// quoted. A cell starting with "{\" is rich text and is written as its plain text.
std::string CsvCell(const std::string& text);

// Writes every row of grid to fileName, replacing the file. Raises EFCreateError when
// the file cannot be opened and EInOutError with the system's reason when writing fails.
void WriteCsvFile(const std::string& fileName, const TStringGrid& grid);

}  // namespace veskin
