#include "recordings/ViewerTableModel.h"

#include "core/RecordColumn.h"

#include <algorithm>

ViewerTableModel::ViewerTableModel(QObject *parent) : QAbstractTableModel(parent)
{
    flushTimer.setSingleShot(true);
    connect(&flushTimer, &QTimer::timeout, this, &ViewerTableModel::flush);
}

void ViewerTableModel::setCell(int row, int column, QAnyStringView text)
{
    if (row < 0 || column < 0 || column >= ViewerTable::ColumnCount)
        return;
    cells.setCell(row, column, text);
    const int modelRow = row - 1;
    if (modelRow >= 0 && modelRow < shownRows) {
        // A row the views already show (the title row is the header and
        // never changes through here, as row 0 is not a model row).
        changedFirst = changedFirst < 0 ? modelRow : std::min(changedFirst, modelRow);
        changedLast = std::max(changedLast, modelRow);
    }
    scheduleFlush();
}

void ViewerTableModel::scheduleFlush()
{
    if (flushTimer.isActive())
        return;
    // A zero timeout fires in the next turn; otherwise the rest of the
    // interval since the last announcement.
    const qint64 waited = sinceFlush.isValid() ? sinceFlush.elapsed() : AnnounceIntervalMs;
    flushTimer.start(int(std::max<qint64>(0, AnnounceIntervalMs - waited)));
}

void ViewerTableModel::flush()
{
    flushTimer.stop();
    sinceFlush.start();
    const int target = cells.rowCount() - 1;
    if (target > shownRows) {
        beginInsertRows({}, shownRows, target - 1);
        shownRows = target;
        endInsertRows();
    }
    if (changedFirst >= 0) {
        const int first = changedFirst;
        const int last = changedLast;
        changedFirst = changedLast = -1;
        emit dataChanged(index(first, 0), index(last, ViewerTable::ColumnCount - 1), {Qt::DisplayRole});
    }
}

int ViewerTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : shownRows;
}

int ViewerTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ViewerTable::ColumnCount;
}

QVariant ViewerTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= shownRows)
        return {};
    if (role == Qt::DisplayRole)
        return cells.cell(index.row() + 1, index.column());
    return {};
}

QVariant ViewerTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return cells.cell(0, section);
    return section + 1; // the table row number
}

Qt::ItemFlags ViewerTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == int(RecordColumn::Registro))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
