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

SheetView::SheetView(const Sheet &sheetIn, SheetArea area, QWidget *parent)
    : QTableView(parent)
    , sheet(sheetIn)
    , cells(sheetIn, area)
{
    setModel(&cells);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(ContiguousSelection);

    // The paper's column widths and overflowing texts, in screen pixels.
    const SheetLayout layout(sheet, area,
                             QSizeF(std::numeric_limits<double>::max(), std::numeric_limits<double>::max()));
    const double toPixels = logicalDpiX() / 72.0;
    for (int c = 1; c <= cells.columnCount(); ++c) {
        const double points = c <= area.lastColumn ? layout.columnWidth(c) : sheet.columnWidth(c);
        setColumnWidth(c - 1, qRound(points * toPixels));
    }
    verticalHeader()->setDefaultSectionSize(qRound(layout.rowHeight(2) * toPixels));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setRowHeight(0, qRound(layout.rowHeight(1) * toPixels));
    for (int r = area.firstRow; r <= area.lastRow; ++r) {
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
