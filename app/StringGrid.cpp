#include "app/StringGrid.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include "app/CsvExport.h"

namespace veskin {

namespace {

const char* const SIndexOutOfRange = "Grid index out of range";
const char* const SFixedRowTooBig = "Fixed row count must be less than row count";
const std::string EmptyCell;

// How long the view may lag behind the data: at least a few screen refreshes (the eye
// sees a growing table as well at 20 updates a second), at most a quarter of a second.
constexpr int MinFlushIntervalMs = 50;
constexpr int MaxFlushIntervalMs = 250;
// The pause between flushes is this many times what a flush and its painting cost.
constexpr double CostFactor = 4.0;

}  // namespace

// Presents the grid to the view as the rows and columns it last published: the rows
// below the fixed rows as items, fixed row 0 as the horizontal header's texts.
class TStringGridModel : public QAbstractTableModel {
public:
    explicit TStringGridModel(const TStringGrid& grid) : FGrid(grid) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : FRows;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : FCols;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return QVariant();
        return QString::fromStdString(FGrid.Cell(index.column(), index.row() + FFixed));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || FFixed == 0)
            return QVariant();
        return QString::fromStdString(FGrid.Cell(section, 0));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // Publishes the grid's current shape and tells the view which published cells and
    // header texts changed (rows dirtyFirst..dirtyLast of the grid; none when -1).
    void Sync(int rows, int cols, int fixed, int dirtyFirst, int dirtyLast, bool headerDirty) {
        const int viewRows = rows - fixed;
        if (cols != FCols || fixed != FFixed) {
            beginResetModel();
            FRows = viewRows;
            FCols = cols;
            FFixed = fixed;
            endResetModel();
            return;
        }
        if (viewRows > FRows) {
            beginInsertRows(QModelIndex(), FRows, viewRows - 1);
            FRows = viewRows;
            endInsertRows();
        } else if (viewRows < FRows) {
            beginRemoveRows(QModelIndex(), viewRows, FRows - 1);
            FRows = viewRows;
            endRemoveRows();
        }
        const int first = std::max(dirtyFirst - FFixed, 0);
        const int last = std::min(dirtyLast - FFixed, FRows - 1);
        if (dirtyFirst >= 0 && first <= last)
            emit dataChanged(index(first, 0), index(last, FCols - 1), {Qt::DisplayRole});
        if (FFixed > 0 && headerDirty)
            emit headerDataChanged(Qt::Horizontal, 0, FCols - 1);
    }

private:
    const TStringGrid& FGrid;
    int FRows = 0;
    int FCols = 0;
    int FFixed = 0;
};

// Draws a cell as plain text on one line, clipped to the cell with a 2-pixel margin,
// in the selection colours when its row is selected. Much cheaper than the style's
// item drawing, which lays the text out for elision and icons.
class TGridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
    }
};

TStringGrid::TStringGrid(QWidget* parent)
    : QTableView(parent),
      FRows(1, std::vector<std::string>(1)),
      FColWidths(1, DefaultColWidth),
      FModel(new TStringGridModel(*this)),
      FFlushTimer(new QTimer(this)) {
    FModel->setParent(this);
    setModel(FModel);
    setItemDelegate(new TGridCellDelegate(this));

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Both scroll bars, each shown when the cells do not fit.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(DefaultRowHeight);
    rows->setDefaultSectionSize(DefaultRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = horizontalHeader();
    QFont bold = font();
    bold.setBold(true);
    header->setFont(bold);
    header->setFixedHeight(DefaultRowHeight);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);
    header->setDefaultSectionSize(DefaultColWidth);
    header->setStretchLastSection(false);
    header->hide();
    connect(header, &QHeaderView::sectionResized, this, &TStringGrid::HeaderSectionResized);

    FFlushTimer->setSingleShot(true);
    connect(FFlushTimer, &QTimer::timeout, this, &TStringGrid::Flush);
    Flush();
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetRowCount(int value) {
    if (value < 1)
        throw EInvalidGridOperation(SIndexOutOfRange);
    if (value <= FFixedRows)
        FFixedRows = value - 1;
    FRows.resize(static_cast<std::size_t>(value), std::vector<std::string>(static_cast<std::size_t>(FColCount)));
    Changed();
}

void TStringGrid::SetColCount(int value) {
    if (value < 1)
        throw EInvalidGridOperation(SIndexOutOfRange);
    if (value == FColCount)
        return;
    for (auto& row : FRows)
        row.resize(static_cast<std::size_t>(value));
    FColWidths.resize(static_cast<std::size_t>(value), DefaultColWidth);
    FColCount = value;
    Changed();
}

void TStringGrid::SetFixedRows(int value) {
    if (value < 0)
        throw EInvalidGridOperation(SIndexOutOfRange);
    if (value >= RowCount())
        throw EInvalidGridOperation(SFixedRowTooBig);
    FFixedRows = value;
    FHeaderDirty = true;
    Changed();
}

const std::string& TStringGrid::Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= FColCount || row >= RowCount())
        return EmptyCell;
    return FRows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
    if (col < 0 || row < 0 || col >= FColCount || row >= RowCount())
        throw EInvalidGridOperation(SIndexOutOfRange);
    FRows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    CellChanged(row);
}

void TStringGrid::ClearCells() {
    for (auto& row : FRows)
        for (auto& cell : row)
            cell.clear();
    CellChanged(0);
    CellChanged(RowCount() - 1);
}

int TStringGrid::ColWidth(int col) const {
    if (col < 0 || col >= FColCount)
        throw EInvalidGridOperation(SIndexOutOfRange);
    return FColWidths[static_cast<std::size_t>(col)];
}

void TStringGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= FColCount)
        throw EInvalidGridOperation(SIndexOutOfRange);
    FColWidths[static_cast<std::size_t>(col)] = width;
    Changed();
}

int TStringGrid::TextWidth(const std::string& text) const {
    return QFontMetrics(font()).horizontalAdvance(QString::fromStdString(text));
}

void TStringGrid::SaveToCSV(const std::string& fileName) const {
    WriteCsvFile(fileName, *this);
}

void TStringGrid::Flush() {
    QElapsedTimer clock;
    clock.start();
    FFlushTimer->stop();
    // A model reset puts every section back to the default width; that is no user's drag.
    FApplyingWidths = true;
    FModel->Sync(RowCount(), FColCount, FFixedRows, FDirtyFirst, FDirtyLast, FHeaderDirty);
    FDirtyFirst = FDirtyLast = -1;
    FHeaderDirty = false;
    horizontalHeader()->setVisible(FFixedRows > 0);
    QHeaderView* header = horizontalHeader();
    for (int c = 0; c < FColCount; ++c) {
        const int width = FColWidths[static_cast<std::size_t>(c)];
        if (header->sectionSize(c) != width)
            header->resizeSection(c, width);
    }
    FApplyingWidths = false;
    FLastCycleCost = FCycleCost + static_cast<double>(clock.nsecsElapsed()) / 1e6;
    FCycleCost = 0;
}

bool TStringGrid::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::Paint)
        return QTableView::viewportEvent(event);
    QElapsedTimer clock;
    clock.start();
    const bool handled = QTableView::viewportEvent(event);
    FCycleCost += static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return handled;
}

void TStringGrid::showEvent(QShowEvent* event) {
    Flush();
    QTableView::showEvent(event);
}

void TStringGrid::Changed() {
    if (isVisible() && !FFlushTimer->isActive()) {
        const double pause = std::clamp(CostFactor * FLastCycleCost, double(MinFlushIntervalMs),
                                        double(MaxFlushIntervalMs));
        FFlushTimer->start(static_cast<int>(pause));
    }
}

void TStringGrid::CellChanged(int row) {
    if (row == 0)
        FHeaderDirty = true;
    if (FDirtyFirst < 0 || row < FDirtyFirst)
        FDirtyFirst = row;
    if (row > FDirtyLast)
        FDirtyLast = row;
    Changed();
}

void TStringGrid::HeaderSectionResized(int section, int, int newSize) {
    // A width the user dragged becomes the column's width.
    if (!FApplyingWidths && section >= 0 && section < FColCount)
        FColWidths[static_cast<std::size_t>(section)] = newSize;
}

}  // namespace veskin
