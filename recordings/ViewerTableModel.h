#pragma once
// The test viewer's table as an item model: it owns the ViewerTable that the
// fillers write through setCell, and shows it to a view. Model row r is table
// row r + 1 (the records); the titles of table row 0 are the horizontal header,
// so the view keeps them in sight while it scrolls.
//
// Writes are cheap and silent: a download sets eight cells per record, many
// records per event-loop turn. The model announces what changed in one go
// (one beginInsertRows/endInsertRows for all new rows, one dataChanged for
// the rows already shown): in the turn after the first write that follows a
// quiet spell, then at most every AnnounceIntervalMs while writes keep
// coming (twice a second: during a paced download, a repaint of the rows
// in sight every 200 ms was half of the client's painting). Every
// announcement makes the views lay out and repaint what they show, which
// costs far more than the records of one turn. flush()
// announces at once, for readers that cannot wait.
//
// Column 0 is a fixed (title) column: its cells are enabled but neither
// selectable nor editable; the others are selectable, never editable.

#include "recordings/ViewerTable.h"

#include <QAbstractTableModel>
#include <QAnyStringView>
#include <QElapsedTimer>
#include <QTimer>

class ViewerTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int AnnounceIntervalMs = 500;

    explicit ViewerTableModel(QObject *parent = nullptr);

    // setViewerCell: the table's growth rule, then the announcement is queued.
    void setCell(int row, int column, QAnyStringView text);
    // Announces the pending row insertions and changes now.
    void flush();

    const ViewerTable &table() const { return cells; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void scheduleFlush();

    ViewerTable cells;
    int shownRows = ViewerTable::InitialRowCount - 1; // model rows announced to views
    int changedFirst = -1;                            // model rows changed since the last flush
    int changedLast = -1;
    QTimer flushTimer;        // the next announcement
    QElapsedTimer sinceFlush; // since the last announcement
};
