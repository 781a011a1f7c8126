#include "rtl/CsvText.h"

#include "rtl/RichText.h"

namespace veskin {

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

std::string CsvCell(const std::string& cell) {
    std::string text = cell.rfind("{\\", 0) == 0 ? RichTextToPlain(cell) : cell;
    ReplaceAll(text, "\"", "\"\"");
    const bool hasComma = text.find(',') != std::string::npos;
    if (!hasComma && text.find('"') != std::string::npos)
        text = "\"" + text + "\"";
    if (text.empty())
        text = "\"\"";
    if (hasComma) {
        ReplaceAll(text, "\r\n", "\x0b");
        text = "\"" + text + "\"";
    }
    return text;
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ',';
        line += CsvCell(cells[i]);
    }
    return line + "\r\n";
}

}  // namespace veskin
