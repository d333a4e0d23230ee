#pragma once
// A test viewer without a window: it keeps what a download or a test file
// writes (the table, the four header fields, the caption's additions) so
// that it can be saved as "Salvar dados" saves the viewer's. The command line
// downloads into it.

#include "core/ViewerSink.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"

#include <QString>

class ViewerTableSink : public ViewerSink {
public:
    void setViewerCell(int row, int column, QAnyStringView text) override { table.setCell(row, column, text); }
    void addChartPoint(int, double, double) override {} // no chart to draw
    void setViewerRecordCount(int records) override { recordCount = records; }
    void appendViewerCaption(const QString &text) override { caption += text; }
    void setHeaderField(int field, const QString &text) override;

    ViewerTable table;
    TestHeader header;
    QString caption; // " - 30 Registros", " - 12 Registros (interrompido)"
    int recordCount = 0;
};
