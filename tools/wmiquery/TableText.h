#pragma once
// The results table as text: one line per row, cells separated by tabs (with tab, line
// break and backslash written as \t, \n, \r and \\ so that a row stays one line) or
// comma-separated with the cells of the window's "Save Results..." (CsvCell).
#include <string>
#include <vector>

namespace veskin {

enum class TTableStyle { Tab,
                         Comma };

std::string TableLine(const std::vector<std::string>& cells, TTableStyle style);

}  // namespace veskin
