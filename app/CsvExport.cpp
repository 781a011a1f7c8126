#include "app/CsvExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/StringGrid.h"

namespace veskin {

namespace {

[[noreturn]] void RaiseIoError(int error) {
    throw EInOutError(std::strerror(error), error);
}

}  // namespace

void WriteCsvFile(const std::string& fileName, const TStringGrid& grid) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        throw EFCreateError("Cannot Create file " + fileName);
    std::vector<std::string> cells;
    for (int row = 0; row < grid.RowCount(); ++row) {
        cells.clear();
        for (int col = 0; col < grid.ColCount(); ++col)
            cells.push_back(grid.Cell(col, row));
        const std::string line = CsvLine(cells);
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
