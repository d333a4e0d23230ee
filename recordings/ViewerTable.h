#pragma once
// The in-memory form of one test: the viewer's table StringGrid1, 8 text
// columns ("Registro", "Hora", "UMI", "SEC", "GLO", "IBUTGi", "IBUTGe",
// "Data", core/RecordColumn.h), titles in row 0, records from row 1. The file writer, the report
// and the spreadsheet export read it; the viewer's table model shows it.
//
// Storage is sparse by row: a cell may be set at a row beyond the rows shown,
// is kept, and appears if the table later grows that far. Memory grows with
// the rows that hold cells, never with the largest row number.
//
// A row keeps its eight texts in one buffer (Latin-1 while every text of the
// row is Latin-1, UTF-16 otherwise) with the end of each text: a record is
// one allocation, not eight. A cell's QString is built when it is read; the
// view reads only the cells it shows.

#include "core/RecordColumn.h"

#include <QAnyStringView>
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

class ViewerTable {
public:
    static constexpr int ColumnCount = RecordColumnCount;
    static constexpr int InitialRowCount = 2;

    class Row {
    public:
        // The text of the column (0..7); empty outside that range.
        QString operator[](size_t column) const;
        QString operator[](RecordColumn column) const { return (*this)[size_t(column)]; }
        // True when every text is empty or white space.
        bool isBlank() const;

    private:
        friend class ViewerTable;
        void set(size_t column, QAnyStringView text);
        void widen();
        qsizetype begin(size_t column) const { return column == 0 ? 0 : ends[column - 1]; }

        QByteArray units;                         // the texts one after another
        std::array<uint32_t, ColumnCount> ends{}; // end of each text, in characters
        bool wide = false;                        // units holds UTF-16, not Latin-1
    };

    ViewerTable();

    // Rows shown, the title row included (2 for a new table).
    int rowCount() const { return rows; }

    // setViewerCell: when row is at or beyond rowCount(), rowCount() grows by
    // exactly one (not up to row + 1); then the cell holds the text. Rows
    // below 0 and columns outside 0..7 are ignored. True when the row count grew.
    bool setCell(int row, int column, QAnyStringView text);

    // The cell's text; empty for a cell never set or out of range.
    QString cell(int row, int column) const;
    QString cell(int row, RecordColumn column) const { return cell(row, int(column)); }
    // The row's cells, or nullptr when none was ever set there.
    const Row *row(int row) const;

    static QString columnTitle(int column);

private:
    Row *rowForWriting(int row);

    int rows = InitialRowCount;
    std::vector<Row> dense;              // rows 0 .. dense.size()-1
    std::unordered_map<int, Row> sparse; // rows at or beyond dense.size()
};
