#include "control/DownloadTap.h"

void DownloadTap::reset(ViewerSink &nextSink, bool keep)
{
    next = &nextSink;
    keepRows = keep;
    caption.clear();
    lastRow.clear();
    lastRowNumber = -1;
    records = 0;
}

void DownloadTap::setViewerCell(int row, int column, QAnyStringView text)
{
    if (keepRows && column >= 0 && column < 8) {
        if (row != lastRowNumber) {
            lastRow = RecordTexts(8);
            lastRowNumber = row;
        }
        lastRow[column] = text.toString();
    }
    next->setViewerCell(row, column, text);
}

void DownloadTap::setViewerRecordCount(int n)
{
    records = n;
    next->setViewerRecordCount(n);
    if (onRecords)
        onRecords(n);
}

void DownloadTap::appendViewerCaption(const QString &text)
{
    caption += text;
    next->appendViewerCaption(text);
}

DownloadEnd DownloadTap::endState(bool ranToTheEnd) const
{
    if (!ranToTheEnd || caption.contains(QStringLiteral("(interrompido)")))
        return DownloadEnd::Interrupted;
    return caption.contains(QStringLiteral("(incompleto)")) ? DownloadEnd::Incomplete : DownloadEnd::Complete;
}
