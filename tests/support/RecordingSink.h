#pragma once
// Records what the reply parser writes into the windows as one list of lines,
// in the order written, so tests compare it with a plain list. It plays the
// main window and, attached to the slots of its own WindowSlots, the viewer
// and the two dialogs; each part derives from its null sink.

#include "core/MainWindowSink.h"
#include "core/WindowSlots.h"

#include <QObject>
#include <QStringList>

class RecordingSink : public NullMainWindowSink,
                      public NullViewerSink,
                      public NullCalibrationSink,
                      public NullSampleRateSink {
public:
    RecordingSink();

    QStringList calls;
    bool calibrationVisible = false;
    // The slots the parser under test is given; all three windows are open.
    WindowSlots windows;

    void setStatusText(StatusPanel panel, const QString &text) override;
    void setMaxMinLabel(MaxMinLabel label, const QString &text) override;
    void setMemoryMaximum(int value) override;
    void setMemoryPosition(int value) override;
    void showMessage(const QString &text, const QString &caption) override;

    bool calibrationDialogVisible() override { return calibrationVisible; }
    void setCalibrationReading(int editNumber, const QString &text) override;

    void checkSampleUnit(bool seconds) override;
    void setSampleInterval(const QString &text) override;

    void setViewerCell(int row, int column, QAnyStringView text) override;
    void addChartPoint(int series, double x, double y) override;
    void setViewerRecordCount(int records) override;
    void appendViewerCaption(const QString &text) override;

private:
    QObject window; // stands for the open viewer and dialogs
};
