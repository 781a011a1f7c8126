#include "tools/wmiquery/TableText.h"

#include "rtl/CsvText.h"

namespace veskin {

namespace {

std::string TabCell(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default: out += c; break;
        }
    }
    return out;
}

}  // namespace

std::string TableLine(const std::vector<std::string>& cells, TTableStyle style) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += style == TTableStyle::Tab ? '\t' : ',';
        line += style == TTableStyle::Tab ? TabCell(cells[i]) : CsvCell(cells[i]);
    }
    return line;
}

}  // namespace veskin
