#include "tools/wmiquery/TableText.h"

#include "rtl/CsvText.h"

namespace veskin {

namespace {

// Appends text with its tabs, line breaks and backslashes escaped; the runs between
// them are copied whole.
void AppendTabCell(std::string& line, const std::string& text) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find_first_of("\t\n\r\\", from);
        line.append(text, from, at == std::string::npos ? std::string::npos : at - from);
        if (at == std::string::npos) return;
        switch (text[at]) {
            case '\t': line += "\\t"; break;
            case '\n': line += "\\n"; break;
            case '\r': line += "\\r"; break;
            default: line += "\\\\"; break;
        }
        from = at + 1;
    }
}

}  // namespace

std::string TableLine(const std::vector<std::string>& cells, TTableStyle style) {
    std::size_t size = cells.size() + 1;  // separators and a line end the caller may add
    for (const std::string& cell : cells) size += cell.size();
    std::string line;
    line.reserve(size);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += style == TTableStyle::Tab ? '\t' : ',';
        if (style == TTableStyle::Tab)
            AppendTabCell(line, cells[i]);
        else
            line += CsvCell(cells[i]);
    }
    return line;
}

}  // namespace veskin
