#include "recordings/library/LibraryArchiver.h"

#include "recordings/library/LibraryStore.h"

#include <algorithm>
#include <climits>

LibraryArchiver::LibraryArchiver(LibraryStore &store, std::function<ViewerSink &()> target)
    : store(store)
    , target(std::move(target))
{
}

LibraryArchiver::LibraryArchiver(LibraryStore &store, ViewerSink &target)
    : LibraryArchiver(store, [&target]() -> ViewerSink & { return target; })
{
}

LibraryArchiver::~LibraryArchiver()
{
    finish(TestState::Interrupted);
}

qint64 LibraryArchiver::begin(const TestOrigin &origin)
{
    testId = store.createTest(origin);
    done = false;
    failing = false;
    held.clear();
    completeUpTo = keptUpTo = 0;
    headerEdits = {};
    sinceCommit.start();
    return testId;
}

bool LibraryArchiver::continueTest(qint64 test)
{
    const auto info = store.info(test);
    if (!info)
        return false;
    testId = test;
    done = false;
    failing = false;
    held.clear();
    completeUpTo = keptUpTo = info->lastRow;
    headerEdits = {};
    sinceCommit.start();
    return true;
}

void LibraryArchiver::finish(TestState state)
{
    if (!testId || done)
        return;
    // A test that ended well has every row whole (a file's reader gives the
    // count only at its end); a cut one only those the count reached.
    commitRows(state == TestState::Interrupted ? completeUpTo : INT_MAX);
    try {
        store.finishTest(testId, state);
        done = true;
    } catch (const std::exception &e) {
        reportFailure(QString::fromUtf8(e.what()));
    }
}

void LibraryArchiver::commit()
{
    commitRows(completeUpTo);
}

void LibraryArchiver::commitRows(int upTo)
{
    if (!testId || done)
        return;
    sinceCommit.start();
    std::vector<NumberedRow> rows;
    for (auto it = held.begin(); it != held.end() && it->first <= upTo; ++it)
        rows.push_back({it->first, it->second});
    const bool headerEdited =
        std::any_of(headerEdits.begin(), headerEdits.end(), [](auto &e) { return e.has_value(); });
    if (rows.empty() && !headerEdited)
        return;
    try {
        if (headerEdited) {
            TestHeader header = store.info(testId).value_or(TestInfo()).header;
            for (size_t f = 0; f < header.size(); ++f)
                header[f] = headerEdits[f].value_or(header[f]);
            store.saveHeader(testId, header);
            headerEdits = {};
        }
        if (!rows.empty())
            store.appendRecords(testId, rows);
    } catch (const std::exception &e) {
        reportFailure(QString::fromUtf8(e.what()));
        return;
    }
    held.erase(held.begin(), held.upper_bound(upTo));
    keptUpTo = rows.empty() ? keptUpTo : rows.back().row;
    failing = false;
}

void LibraryArchiver::reportFailure(const QString &message)
{
    qWarning("library: %s", qPrintable(message));
    if (failing)
        return;
    failing = true;
    if (failed)
        failed(message);
}

void LibraryArchiver::setViewerCell(int row, int column, QAnyStringView text)
{
    target().setViewerCell(row, column, text);
    if (testId && !done && row > keptUpTo && column >= 0 && column < ViewerTable::ColumnCount)
        held[row][size_t(column)] = text.toString();
}

void LibraryArchiver::addChartPoint(int series, double x, double y)
{
    target().addChartPoint(series, x, y);
}

void LibraryArchiver::setViewerRecordCount(int records)
{
    target().setViewerRecordCount(records);
    completeUpTo = std::max(completeUpTo, records);
    if (sinceCommit.isValid() && sinceCommit.elapsed() >= commitIntervalMs)
        commitRows(completeUpTo);
}

void LibraryArchiver::appendViewerCaption(const QString &text)
{
    target().appendViewerCaption(text);
    if (text.endsWith(QLatin1String("(interrompido)")))
        finish(TestState::Interrupted);
    else if (text.endsWith(QLatin1String("(incompleto)")))
        finish(TestState::Incomplete);
    else if (text.endsWith(QLatin1String(" Registros")))
        finish(TestState::Complete);
}

void LibraryArchiver::setHeaderField(int field, const QString &text)
{
    target().setHeaderField(field, text);
    if (testId && !done && field >= 1 && field <= int(headerEdits.size()))
        headerEdits[size_t(field - 1)] = text;
}
