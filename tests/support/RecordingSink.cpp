#include "support/RecordingSink.h"

void RecordingSink::setStatusText(int panel, const QString &text)
{
    calls << QStringLiteral("status%1=%2").arg(panel).arg(text);
}

void RecordingSink::setMaxMinLabel(int labelNumber, const QString &text)
{
    calls << QStringLiteral("Label%1=%2").arg(labelNumber).arg(text);
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

void RecordingSink::setViewerCell(int row, int column, QLatin1StringView text)
{
    calls << QStringLiteral("cell[%1,%2]=%3").arg(row).arg(column).arg(text);
}

void RecordingSink::addChartPoint(int series, double x, double y)
{
    calls << QStringLiteral("point%1(%2;%3)").arg(series).arg(x).arg(y);
}

void RecordingSink::setViewerRecordCount(int records)
{
    calls << QStringLiteral("Form5.Edit5=%1").arg(records);
}

void RecordingSink::showMessage(const QString &text, const QString &caption)
{
    calls << QStringLiteral("message[%1]=%2").arg(caption, text);
}
