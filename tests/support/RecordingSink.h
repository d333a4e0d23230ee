#pragma once
// A ReplySink that records every call as one line of text, so tests compare
// what the parser did to the windows with a plain list.

#include "link/ReplySink.h"

#include <QStringList>

class RecordingSink : public ReplySink {
public:
    QStringList calls;
    bool calibrationVisible = false;

    void setStatusText(int panel, const QString &text) override;
    void setMaxMinLabel(int labelNumber, const QString &text) override;
    void setMemoryMaximum(int value) override;
    void setMemoryPosition(int value) override;
    bool calibrationDialogVisible() override { return calibrationVisible; }
    void setCalibrationReading(int editNumber, const QString &text) override;
    void checkSampleUnit(bool seconds) override;
    void setSampleInterval(const QString &text) override;
    void setViewerCell(int row, int column, QLatin1StringView text) override;
    void addChartPoint(int series, double x, double y) override;
    void setViewerRecordCount(int records) override;
    void showMessage(const QString &text, const QString &caption) override;
};
