#pragma once
// A spreadsheet-like view of a report sheet: column letters, row numbers,
// gridlines, the template's column widths, texts overflowing across empty
// neighbours as on paper, and the template's picture. Read-only.
//
// Only the rows shown are laid out: when rows come into view for the first
// time their texts are measured, in chunks, and a column widens when one of
// them needs it. A report of a million records opens as fast as one of ten.

#include "sheet/SheetLayout.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <vector>

class SheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Shows the area and a margin of empty rows and columns beyond it.
    SheetModel(const Sheet &sheet, SheetArea area, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "A".."Z", "AA".. for column 1, 2, ...
    static QString columnLetters(int column);

private:
    const Sheet &sheet;
    int rows;
    int columns;
};

class SheetView : public QTableView {
    Q_OBJECT
public:
    // sheet must outlive the view.
    SheetView(const Sheet &sheet, SheetArea area, QWidget *parent = nullptr);

    const SheetModel &sheetModel() const { return cells; }

    // Lays out the rows from first to last (1-based) that are not yet.
    void layOutRows(int first, int last);
    // How many rows have been measured so far.
    int rowsLaidOut() const { return measuredRows; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void layOutChunk(int chunk);

    const Sheet &sheet;
    SheetArea area;
    SheetModel cells;
    std::vector<double> widthsPt; // per column of the area, the widest seen
    std::vector<bool> chunksDone;
    int measuredRows = 0;
};
