#include "support/RecordingSink.h"

RecordingSink::RecordingSink()
{
    windows.viewer.attach(&window, this);
    windows.calibration.attach(&window, this);
    windows.sampleRate.attach(&window, this);
}

void RecordingSink::setStatusText(StatusPanel panel, const QString &text)
{
    calls << QStringLiteral("status%1=%2").arg(int(panel)).arg(text);
}

void RecordingSink::setMaxMinLabel(MaxMinLabel label, const QString &text)
{
    calls << QStringLiteral("Label%1=%2").arg(int(label)).arg(text);
}

void RecordingSink::setMemoryMaximum(int value)
{
    calls << QStringLiteral("memoryMax=%1").arg(value);
}

void RecordingSink::setMemoryPosition(int value)
{
    calls << QStringLiteral("memoryPos=%1").arg(value);
}

void RecordingSink::setCalibrationReading(int editNumber, const QString &text)
{
    calls << QStringLiteral("Form2.Edit%1=%2").arg(editNumber).arg(text);
}

void RecordingSink::checkSampleUnit(bool seconds)
{
    calls << (seconds ? QStringLiteral("Form4.Segundo") : QStringLiteral("Form4.Minutos"));
}

void RecordingSink::setSampleInterval(const QString &text)
{
    calls << QStringLiteral("Form4.Edit1=%1").arg(text);
}

void RecordingSink::setViewerCell(int row, int column, QAnyStringView text)
{
    calls << QStringLiteral("cell[%1,%2]=%3").arg(row).arg(column).arg(text.toString());
}

void RecordingSink::addChartPoint(int series, double x, double y)
{
    calls << QStringLiteral("point%1(%2;%3)").arg(series).arg(x).arg(y);
}

void RecordingSink::setViewerRecordCount(int records)
{
    calls << QStringLiteral("Form5.Edit5=%1").arg(records);
}

void RecordingSink::appendViewerCaption(const QString &text)
{
    calls << "Form5.caption" + text;
}

void RecordingSink::showMessage(const QString &text, const QString &caption)
{
    calls << QStringLiteral("message[%1]=%2").arg(caption, text);
}
