#pragma once
// The comma-separated text of the results table, shared by the window's "Save
// Results..." and the console program: cells separated by ",", every line ending in
// CR LF, text written byte for byte.
#include <string>
#include <vector>

namespace veskin {

// One cell as it is written: quotes doubled; quoted when it then holds a quote but no
// comma; "" when empty; with a comma, CR LF pairs become character 11 and the text is
// quoted. A cell starting with "{\" is rich text and is written as its plain text.
std::string CsvCell(const std::string& text);

// The cells of one row joined by "," and followed by CR LF.
std::string CsvLine(const std::vector<std::string>& cells);

}  // namespace veskin
