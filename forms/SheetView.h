#pragma once
// A spreadsheet-like view of a report sheet: column letters, row numbers,
// gridlines, the template's column widths, texts overflowing across empty
// neighbours as on paper, and the template's picture. Read-only.

#include "sheet/SheetLayout.h"

#include <QAbstractTableModel>
#include <QTableView>

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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Sheet &sheet;
    SheetModel cells;
};
