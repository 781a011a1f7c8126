#include "app/CsvExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/RichText.h"
#include "app/StringGrid.h"

namespace veskin {

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

[[noreturn]] void RaiseIoError(int error) {
    throw EInOutError(std::strerror(error), error);
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

void WriteCsvFile(const std::string& fileName, const TStringGrid& grid) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        throw EFCreateError("Cannot Create file " + fileName);
    std::string line;
    for (int row = 0; row < grid.RowCount(); ++row) {
        line.clear();
        for (int col = 0; col < grid.ColCount(); ++col) {
            if (col > 0)
                line += ',';
            line += CsvCell(grid.Cell(col, row));
        }
        line += "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
            const int error = errno;
            std::fclose(file);
            RaiseIoError(error);
        }
    }
    if (std::fflush(file) != 0) {
        const int error = errno;
        std::fclose(file);
        RaiseIoError(error);
    }
    if (std::fclose(file) != 0)
        RaiseIoError(errno);
}

}  // namespace veskin
