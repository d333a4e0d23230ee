#pragma once
// "Continuar download" of a library test whose download was cut: when the
// meter still holds the same test (the same record count under the same test
// number, and the first and the last record kept read back the same), only
// the missing records are asked for ("@r" j from the first missing one) and
// the test is completed in place. Otherwise the operator is told that the
// meter's test has changed, and the meter's test is downloaded as a new test
// (the interrupted one stays as it is). Every read uses the download's own
// requests, time-out and retries.

#include "control/ArchivedRun.h"
#include "control/LibraryDownloadView.h"
#include "control/TestArchive.h"
#include "core/SharedState.h"

class ResumeDownload {
public:
    ResumeDownload(SharedState &state, PollScheduler &scheduler, ViewerSlot &slot, TestArchive &archive,
                   LibraryDownloadView &view)
        : state(state)
        , archive(archive)
        , view(view)
        , run(scheduler, slot)
    {
    }

    void start(qint64 testId);
    void cancel();
    bool running() const { return active; }

    static QString changedText(int testNumber);

private:
    enum class Step { FirstKept, LastKept };
    void readBack(Step step);
    void readBackEnded(Step step, DownloadEnd how);
    void continueInPlace();
    void downloadAsNew();
    void download(PollScheduler::RecordRange records, std::unique_ptr<ArchivedDownload> kept, int recordCount);
    void finish(const QString &text, bool whole);

    SharedState &state;
    TestArchive &archive;
    LibraryDownloadView &view;
    ArchivedRun run;
    NullViewerSink nowhere;
    InterruptedTest test;
    int meterRecords = 0; // the meter's count, as its "@R" answered
    QString told;         // said before the download ("mudou")
    bool active = false;
};
