#include "forms/SheetView.h"

#include "sheet/TavenorLogo.h"

#include <QHeaderView>
#include <QPainter>

#include <limits>

namespace {

constexpr int MarginRows = 20;
constexpr int MarginColumns = 3;

} // namespace

SheetModel::SheetModel(const Sheet &sheetIn, SheetArea area, QObject *parent)
    : QAbstractTableModel(parent)
    , sheet(sheetIn)
    , rows(std::max(area.lastRow, sheetIn.lastUsedRow()) + MarginRows)
    , columns(std::max(area.lastColumn, sheetIn.lastUsedColumn()) + MarginColumns)
{
}

int SheetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows;
}

int SheetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant SheetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole: return sheet.text(row, index.column() + 1);
    case Qt::FontRole: return SheetLayout::cellFont(sheet, row);
    case Qt::TextAlignmentRole: return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return orientation == Qt::Horizontal ? columnLetters(section + 1) : QString::number(section + 1);
}

QString SheetModel::columnLetters(int column)
{
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

namespace {

constexpr int ChunkRows = 128;

QSizeF unlimitedPage()
{
    return QSizeF(std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
}

} // namespace

SheetView::SheetView(const Sheet &sheetIn, SheetArea areaIn, QWidget *parent)
    : QTableView(parent)
    , sheet(sheetIn)
    , area(areaIn)
    , cells(sheetIn, areaIn)
{
    setModel(&cells);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(ContiguousSelection);

    // The paper's column widths, in screen pixels, from the template; the
    // rows widen them as they are laid out.
    const double toPixels = logicalDpiX() / 72.0;
    for (int c = 1; c <= cells.columnCount(); ++c)
        setColumnWidth(c - 1, qRound(sheet.columnWidth(c) * toPixels));
    const SheetLayout rows(sheet, SheetArea{1, 1, 0, 0}, unlimitedPage());
    verticalHeader()->setDefaultSectionSize(qRound(rows.rowHeight(2) * toPixels));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setRowHeight(0, qRound(rows.rowHeight(1) * toPixels));
    chunksDone.assign(size_t(std::max(area.lastRow, 0) / ChunkRows + 1), false);
    // What a window shows first, so that it opens with its final widths.
    layOutRows(1, ChunkRows);
}

void SheetView::layOutRows(int first, int last)
{
    first = std::max(first, area.firstRow);
    last = std::min(last, area.lastRow);
    for (int chunk = first / ChunkRows; first <= last && chunk <= last / ChunkRows; ++chunk)
        layOutChunk(chunk);
}

void SheetView::layOutChunk(int chunk)
{
    if (chunk < 0 || size_t(chunk) >= chunksDone.size() || chunksDone[size_t(chunk)])
        return;
    chunksDone[size_t(chunk)] = true;
    const SheetArea part{std::max(chunk * ChunkRows, area.firstRow), area.firstColumn,
                         std::min(chunk * ChunkRows + ChunkRows - 1, area.lastRow), area.lastColumn};
    if (part.lastRow < part.firstRow)
        return;
    measuredRows += part.lastRow - part.firstRow + 1;
    const SheetLayout layout(sheet, part, unlimitedPage());
    const double toPixels = logicalDpiX() / 72.0;
    widthsPt.resize(size_t(std::max(area.lastColumn, 0)), 0.0);
    for (int c = area.firstColumn; c <= area.lastColumn; ++c) {
        double &widest = widthsPt[size_t(c - 1)];
        if (layout.columnWidth(c) > widest) {
            widest = layout.columnWidth(c);
            setColumnWidth(c - 1, qRound(widest * toPixels));
        }
    }
    for (int r = part.firstRow; r <= part.lastRow; ++r) {
        for (int c = area.firstColumn; c <= area.lastColumn; ++c) {
            const int end = layout.overflowEnd(r, c);
            if (end > c)
                setSpan(r - 1, c - 1, 1, end - c + 1);
            c = end;
        }
    }
}

void SheetView::paintEvent(QPaintEvent *event)
{
    // Rows coming into view are laid out before they are painted; a column
    // that widens schedules another paint.
    const int top = rowAt(0);
    int bottom = rowAt(viewport()->height() - 1);
    if (bottom < 0)
        bottom = cells.rowCount() - 1;
    if (top >= 0)
        layOutRows(top + 1, bottom + 1);

    QTableView::paintEvent(event);
    const SheetPicture &pic = sheet.picture;
    if (pic.row < 1 || pic.column < 1)
        return;
    const QRect anchor = visualRect(cells.index(pic.row - 1, pic.column - 1));
    if (!anchor.isValid())
        return;
    const double toPixels = logicalDpiX() / 72.0;
    QPainter painter(viewport());
    paintTavenorLogo(painter, QRectF(anchor.topLeft() + QPointF(1, 1), QSizeF(pic.widthPt, pic.heightPt) * toPixels));
}
