#pragma once
// What the meter-side flows ask of the test library and tell it, so that
// control/ needs no store: whether a test of the meter is already kept whole,
// where an interrupted one stopped, and the archive of a download as it
// arrives. The program's library implements it (recordings/archive); tests
// hand in a fake or the real library on a temporary file.
//
// A record is recognised by the texts of its row as the viewer shows them
// (the number, time, three temperatures, two indices and date: columns 0..7).

#include "core/ViewerSink.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

using RecordTexts = QStringList;

// A stored test of the meter as the flows recognise it.
struct MeterTest {
    int number = 0; // 1-based, as the test tree numbers it
    int recordCount = 0;
    RecordTexts first, last; // empty for a test without records
};

// Where a download comes from.
struct DownloadOrigin {
    QString portName; // "COM1"
    int testNumber = 0;
    int recordCount = 0; // what the meter holds, as the list read it
    QDateTime moment;
};

enum class DownloadEnd { Complete, Interrupted, Incomplete };

// One download being archived: its writes go through sink(), which keeps them
// and hands them on to the viewer it was begun with. end() gives the state
// the test keeps; an archive destroyed without end() is kept as interrupted.
class ArchivedDownload {
public:
    virtual ~ArchivedDownload() = default;
    virtual ViewerSink &sink() = 0;
    virtual void end(DownloadEnd how) = 0;
};

// A test of the library whose download was cut: what it came from and the
// records it keeps, the first and the last of them.
struct InterruptedTest {
    qint64 id = 0;
    DownloadOrigin origin;
    int keptRecords = 0;
    RecordTexts first, lastKept;
};

class TestArchive {
public:
    virtual ~TestArchive() = default;
    // A test with the same number, record count and first and last records
    // is kept complete.
    virtual bool holdsComplete(const MeterTest &test) = 0;
    // Nothing when the library cannot take the download (problem() says why).
    virtual std::unique_ptr<ArchivedDownload> beginDownload(const DownloadOrigin &origin, ViewerSink &shown) = 0;
    // The test `id` when it was interrupted (else nothing), and its archive
    // continued in place: rows written go on after the kept ones.
    virtual std::optional<InterruptedTest> interruptedTest(qint64 id) = 0;
    virtual std::unique_ptr<ArchivedDownload> continueDownload(qint64 id, ViewerSink &shown) = 0;
    // The newest test downloaded from the meter that is still interrupted.
    virtual std::optional<qint64> lastInterrupted() { return std::nullopt; }
    // Why the last call failed (a download not begun, a test not found),
    // in Portuguese; empty when nothing failed.
    virtual QString problem() const { return {}; }
};

// A library that keeps nothing and holds nothing: the one that could not be
// opened (`why` says so), or none at all.
class NullTestArchive : public TestArchive {
public:
    explicit NullTestArchive(QString why = {}) : why(std::move(why)) {}
    bool holdsComplete(const MeterTest &) override { return false; }
    std::unique_ptr<ArchivedDownload> beginDownload(const DownloadOrigin &, ViewerSink &) override { return {}; }
    std::optional<InterruptedTest> interruptedTest(qint64) override { return std::nullopt; }
    std::unique_ptr<ArchivedDownload> continueDownload(qint64, ViewerSink &) override { return {}; }
    QString problem() const override { return why; }

private:
    QString why;
};
