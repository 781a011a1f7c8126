#include "tools/wmiquery/TableText.h"

#include "rtl/CsvText.h"

namespace veskin {

namespace {

// Appends text with its tabs, line breaks and backslashes escaped; the runs between
// them are copied whole.
void AppendTabCell(std::string& line, const std::string& text) {
    std::size_t from = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char* escaped = nullptr;
        switch (text[at]) {
            case '\t': escaped = "\\t"; break;
            case '\n': escaped = "\\n"; break;
            case '\r': escaped = "\\r"; break;
            case '\\': escaped = "\\\\"; break;
            default: continue;
        }
        line.append(text, from, at - from);
        line += escaped;
        from = at + 1;
    }
    line.append(text, from, std::string::npos);
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
