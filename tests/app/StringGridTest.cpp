#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QThread>

#include "app/StringGrid.h"
#include "tests/app/AppTestSupport.h"

namespace veskin {
namespace {

class StringGridTest : public ::testing::Test {
protected:
    QAbstractItemModel* Model() { return Grid.model(); }
    std::string Shown(int row, int col) { return Model()->index(row, col).data().toString().toStdString(); }

    veskin::testing::AppGuard App;
    TStringGrid Grid;
};

TEST_F(StringGridTest, CountsKeepCellsAndTheFixedRowRule) {
    Grid.SetColCount(3);
    EXPECT_EQ(Grid.ColWidth(1), 64);
    for (int row = 1; row <= 4; ++row) {
        Grid.SetRowCount(row + 1);
        for (int col = 0; col < 3; ++col)
            Grid.SetCell(col, row, std::to_string(row) + ":" + std::to_string(col));
    }
    Grid.SetFixedRows(1);
    Grid.SetColWidth(0, 150);
    Grid.SetColCount(4);
    EXPECT_EQ(Grid.ColWidth(0), 150);
    EXPECT_EQ(Grid.ColWidth(3), 64);
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(Grid.Cell(2, row), std::to_string(row) + ":2");
    EXPECT_EQ(Grid.Cell(3, 4), "");

    // Clearing empties every cell and keeps the shape.
    Grid.ClearCells();
    EXPECT_EQ(Grid.RowCount(), 5);
    EXPECT_EQ(Grid.FixedRows(), 1);
    EXPECT_EQ(Grid.ColWidth(0), 150);
    EXPECT_EQ(Grid.Cell(2, 3), "");

    // A row count at or below the fixed rows lowers them: one empty cell, no header.
    Grid.SetRowCount(1);
    Grid.SetColCount(1);
    EXPECT_EQ(Grid.FixedRows(), 0);
    Grid.Flush();
    EXPECT_EQ(Model()->rowCount(), 1);
    EXPECT_EQ(Model()->columnCount(), 1);
    EXPECT_TRUE(Grid.horizontalHeader()->isHidden());
}

TEST_F(StringGridTest, RefusesWhatATableCannotDo) {
    try {
        Grid.SetFixedRows(1);
        FAIL() << "fixed rows equal to the row count were accepted";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message(), "Fixed row count must be less than row count");
    }
    try {
        Grid.SetColWidth(1, 10);
        FAIL() << "a width beyond the columns was accepted";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message(), "Grid index out of range");
    }
    EXPECT_THROW(Grid.SetCell(0, 1, "x"), EInvalidGridOperation);
    EXPECT_THROW(Grid.SetRowCount(0), EInvalidGridOperation);
    EXPECT_EQ(Grid.Cell(5, 5), "");
    EXPECT_EQ(Grid.RowCount(), 1);
}

TEST_F(StringGridTest, FixedRowZeroIsTheBoldHeaderAboveTheDataRows) {
    Grid.SetColCount(2);
    Grid.SetRowCount(2);
    Grid.SetFixedRows(1);
    Grid.SetCell(0, 0, "Name");
    Grid.SetCell(1, 0, "Handle");
    Grid.SetCell(0, 1, "<B>bold?</B>");
    Grid.SetCell(1, 1, "{\\rtf1 x}");
    Grid.Flush();
    EXPECT_FALSE(Grid.horizontalHeader()->isHidden());
    EXPECT_TRUE(Grid.horizontalHeader()->font().bold());
    EXPECT_EQ(Grid.horizontalHeader()->height(), 22);
    EXPECT_EQ(Model()->rowCount(), 1);
    EXPECT_EQ(Model()->headerData(1, Qt::Horizontal).toString(), "Handle");
    // Mark-up and rich text are shown as they are.
    EXPECT_EQ(Shown(0, 0), "<B>bold?</B>");
    EXPECT_EQ(Shown(0, 1), "{\\rtf1 x}");
    EXPECT_EQ(Grid.rowHeight(0), 22);
    EXPECT_FALSE(Model()->flags(Model()->index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(StringGridTest, AHiddenTableShowsEveryRowAddedMeanwhile) {
    QWidget window;
    Grid.setParent(&window);
    window.show();
    Grid.hide();
    Grid.SetRowCount(2);
    Grid.SetFixedRows(1);
    for (int i = 1; i <= 50; ++i) {
        Grid.SetRowCount(i + 1);
        Grid.SetCell(0, i, "row " + std::to_string(i));
    }
    Grid.show();
    EXPECT_EQ(Model()->rowCount(), 50);
    EXPECT_EQ(Shown(49, 0), "row 50");
    Grid.setParent(nullptr);
}

TEST_F(StringGridTest, AVisibleTableCatchesUpWithoutBeingAsked) {
    QWidget window;
    Grid.setParent(&window);
    window.show();
    Grid.SetRowCount(3);
    Grid.SetCell(0, 2, "late");
    EXPECT_EQ(Model()->rowCount(), 1);  // the view lags behind by at most a tick
    for (int i = 0; i < 100 && Model()->rowCount() < 3; ++i) {
        QThread::msleep(5);
        QApplication::processEvents();
    }
    EXPECT_EQ(Model()->rowCount(), 3);
    EXPECT_EQ(Shown(2, 0), "late");
    Grid.setParent(nullptr);
}

TEST_F(StringGridTest, AColumnTheUserWidensKeepsItsWidth) {
    Grid.SetColCount(2);
    Grid.SetRowCount(2);
    Grid.SetFixedRows(1);
    Grid.Flush();
    Grid.horizontalHeader()->resizeSection(1, 123);  // as a drag of the header line does
    EXPECT_EQ(Grid.ColWidth(1), 123);
    Grid.SetRowCount(3);
    Grid.Flush();
    EXPECT_EQ(Grid.columnWidth(1), 123);
    EXPECT_EQ(Grid.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
}

}  // namespace
}  // namespace veskin
