#pragma once
// What the reply parser writes into the two configuration dialogs. Each dialog
// implements its own; while a dialog is not open the write goes to a null sink
// through the window slot and is skipped.

#include <QString>

// The calibration dialog (Form2): the three reading fields of its pages.
class CalibrationSink {
public:
    virtual ~CalibrationSink() = default;
    virtual bool calibrationDialogVisible() = 0;
    // Edit2 (wet), Edit4 (dry), Edit6 (globe).
    virtual void setCalibrationReading(int editNumber, const QString &text) = 0;
};

class NullCalibrationSink : public CalibrationSink {
public:
    bool calibrationDialogVisible() override { return false; }
    void setCalibrationReading(int, const QString &) override {}
};

// The sample-rate dialog (Form4).
class SampleRateSink {
public:
    virtual ~SampleRateSink() = default;
    // "Segundo" (RadioButton2) when seconds, "Minutos" (RadioButton1) otherwise.
    virtual void checkSampleUnit(bool seconds) = 0;
    virtual void setSampleInterval(const QString &text) = 0; // Edit1
};

class NullSampleRateSink : public SampleRateSink {
public:
    void checkSampleUnit(bool) override {}
    void setSampleInterval(const QString &) override {}
};
