#pragma once
// What the reply parser writes into the windows. The main window implements
// it; the writes into the dialogs and the viewer go through the window guard
// there, so here every call simply succeeds or is skipped. Texts of stored
// records come as views of the received bytes (one character per byte), valid
// only during the call: the parser allocates nothing per record.

#include <QLatin1StringView>
#include <QString>

class ReplySink {
public:
    virtual ~ReplySink() = default;

    // Main window
    virtual void setStatusText(int panel, const QString &text) = 0;
    virtual void setMaxMinLabel(int labelNumber, const QString &text) = 0; // Label6..Label11
    virtual void setMemoryMaximum(int value) = 0;                          // ProgressBar1
    virtual void setMemoryPosition(int value) = 0;

    // Calibration dialog (Form2)
    virtual bool calibrationDialogVisible() = 0;
    virtual void setCalibrationReading(int editNumber, const QString &text) = 0; // Edit2, Edit4, Edit6

    // Sample-rate dialog (Form4): "Segundo" (RadioButton2) or "Minutos" (RadioButton1)
    virtual void checkSampleUnit(bool seconds) = 0;
    virtual void setSampleInterval(const QString &text) = 0; // Edit1

    // Test viewer (Form5)
    virtual void setViewerCell(int row, int column, QLatin1StringView text) = 0;
    virtual void addChartPoint(int series, double x, double y) = 0;
    virtual void setViewerRecordCount(int records) = 0; // Edit5, in decimal

    // A modal message box with an OK button.
    virtual void showMessage(const QString &text, const QString &caption) = 0;
};
