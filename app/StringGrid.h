#pragma once
// The results table: a grid of 8-bit text cells with row and column counts, fixed
// header rows, column widths and CSV output, drawn by a QTableView. A fixed row 0 is
// shown in the horizontal header (bold, does not scroll). The view catches up with the
// data on a timer, so a table that grows row by row is laid out and painted at most
// 20 times a second, less often when painting is slow, and not at all while it is
// hidden.
#include <QElapsedTimer>
#include <QTableView>
#include <string>
#include <vector>

#include "rtl/Exception.h"

class QTimer;

namespace veskin {

// An operation the grid refuses ("Grid index out of range", "Fixed row count must be
// less than row count").
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

class TStringGridModel;

class TStringGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int DefaultColWidth = 64;
    static constexpr int DefaultRowHeight = 22;

    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    int RowCount() const { return static_cast<int>(FRows.size()); }
    // At least 1. Lowering it to the fixed rows or below first lowers the fixed rows to
    // one less than the new count.
    void SetRowCount(int value);
    int ColCount() const { return FColCount; }
    void SetColCount(int value);
    int FixedRows() const { return FFixedRows; }
    // 0 or more, and less than the row count.
    void SetFixedRows(int value);

    // Cells[col][row]; a cell outside the counts reads as empty, writing one is refused.
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, const std::string& text);
    // Empties every cell; counts, fixed rows and widths stay.
    void ClearCells();

    int ColWidth(int col) const;
    void SetColWidth(int col, int width);

    // Pixel width of text in the font the data cells are drawn with.
    int TextWidth(const std::string& text) const;

    // Writes every cell as comma-separated text to fileName.
    void SaveToCSV(const std::string& fileName) const;

    // Brings the view up to date with the data now instead of at the next tick.
    void Flush();

protected:
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void Changed();
    void CellChanged(int row);
    void HeaderSectionResized(int section, int oldSize, int newSize);

    std::vector<std::vector<std::string>> FRows;  // FRows[row][col]
    int FColCount = 1;
    int FFixedRows = 0;
    std::vector<int> FColWidths;
    TStringGridModel* FModel;
    QTimer* FFlushTimer;
    bool FApplyingWidths = false;
    // Rows published to the view whose cells changed since the last flush.
    int FDirtyFirst = -1;
    int FDirtyLast = -1;
    bool FHeaderDirty = false;
    // Milliseconds spent on flushing and painting since the last flush, and in the
    // cycle before; the pause before the next flush follows the latter.
    double FCycleCost = 0;
    double FLastCycleCost = 0;
};

}  // namespace veskin
