#pragma once
// What the fillers of the test viewer write into it: the reply parser during a
// download, the scheduler at the end of one, and the test-file reader. The
// viewer window implements it; while no viewer is open the main window hands
// out a null sink (through the window guard) and every write is skipped.
//
// Texts come as QAnyStringView: the parser hands views of the received bytes
// (Latin-1, valid only during the call), the file reader hands QStrings.

#include "core/RecordColumn.h"

#include <QAnyStringView>
#include <QString>

class ViewerSink {
public:
    virtual ~ViewerSink() = default;

    // StringGrid1: grows the shown row count by exactly one when row is at or
    // beyond it, then stores the text (also beyond the shown rows).
    virtual void setViewerCell(int row, int column, QAnyStringView text) = 0;
    void setViewerCell(int row, RecordColumn column, QAnyStringView text) { setViewerCell(row, int(column), text); }
    // Chart1: series 0 "UMI", 1 "SEC", 2 "GLO" (chartSeries).
    virtual void addChartPoint(int series, double x, double y) = 0;
    // Edit5 ("Registros:"), in decimal.
    virtual void setViewerRecordCount(int records) = 0;
    // Appended to the window caption (" - 25 Registros").
    virtual void appendViewerCaption(const QString &text) = 0;
    // Edit1..Edit4: "Nome", "Setor", "Empresa", "Observações" (field 1..4).
    virtual void setHeaderField(int field, const QString &text) = 0;
};

// Skips every write; the base of recording fakes and the stand-in for a
// viewer that is not open.
class NullViewerSink : public ViewerSink {
public:
    void setViewerCell(int, int, QAnyStringView) override {}
    void addChartPoint(int, double, double) override {}
    void setViewerRecordCount(int) override {}
    void appendViewerCaption(const QString &) override {}
    void setHeaderField(int, const QString &) override {}
};
