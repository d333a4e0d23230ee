#pragma once
// Stands in the viewer's slot during a download the flows run: hands every
// write on to the next sink (the archive, or the viewer itself), and keeps
// what the flows need to know of it: the caption's end (" - 25 Registros",
// " (interrompido)", " (incompleto)"), the record count, and, when asked, the
// texts of the last row written (a probe reads one record at a time).

#include "control/TestArchive.h"
#include "core/ViewerSink.h"

#include <QPointer>

#include <functional>

class DownloadTap : public ViewerSink {
public:
    void reset(ViewerSink &next, bool keepRows);

    void setViewerCell(int row, int column, QAnyStringView text) override;
    void addChartPoint(int series, double x, double y) override { next->addChartPoint(series, x, y); }
    void setViewerRecordCount(int records) override;
    void appendViewerCaption(const QString &text) override;
    void setHeaderField(int field, const QString &text) override { next->setHeaderField(field, text); }

    // The state a download that ran every step leaves: its caption says
    // whether it came whole. One that did not reach its end is interrupted.
    DownloadEnd endState(bool ranToTheEnd) const;

    RecordTexts lastRow; // kept only when asked
    int records = 0;
    std::function<void(int records)> onRecords;

private:
    ViewerSink *next = nullptr;
    QString caption;
    bool keepRows = false;
    int lastRowNumber = -1;
};

// The viewer a download was begun with, written only while its window exists:
// an archive keeps filling after the operator closed the window.
class GuardedViewer : public ViewerSink {
public:
    void reset(QObject *window, ViewerSink *sink)
    {
        this->window = window;
        this->sink = sink;
    }
    void setViewerCell(int row, int column, QAnyStringView text) override
    {
        if (window)
            sink->setViewerCell(row, column, text);
    }
    void addChartPoint(int series, double x, double y) override
    {
        if (window)
            sink->addChartPoint(series, x, y);
    }
    void setViewerRecordCount(int n) override
    {
        if (window)
            sink->setViewerRecordCount(n);
    }
    void appendViewerCaption(const QString &text) override
    {
        if (window)
            sink->appendViewerCaption(text);
    }
    void setHeaderField(int field, const QString &text) override
    {
        if (window)
            sink->setHeaderField(field, text);
    }

private:
    QPointer<QObject> window;
    ViewerSink *sink = nullptr;
};
