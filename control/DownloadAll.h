#pragma once
// "Baixar todos": every test of the meter into the library, one after the
// other. The test list and the first and last record of every test are read
// first (MeterSurvey); a test the library already keeps complete (same number,
// record count, first and last records) is skipped, and so is a test without
// records; every other one is downloaded as a double-click downloads it, into
// its archive. A download cut short (no reply, cable pulled) ends the run:
// what came is kept, interrupted, and can be continued. "Cancelar" ends it
// the same way. The summary gives the tests downloaded and skipped, the
// records and the time.

#include "control/ArchivedRun.h"
#include "control/LibraryDownloadView.h"
#include "control/MeterSurvey.h"
#include "control/TestArchive.h"
#include "core/SharedState.h"

#include <QElapsedTimer>

#include <functional>

class DownloadAll {
public:
    struct Summary {
        int downloaded = 0;
        int skipped = 0;
        int incomplete = 0; // downloaded, but with records repeated or out of order
        int records = 0;
        qint64 elapsedMs = 0;
        bool cancelled = false;
        QString failure; // what stopped the run, empty when nothing did
    };

    DownloadAll(SharedState &state, PollScheduler &scheduler, ViewerSlot &slot, TestArchive &archive,
                LibraryDownloadView &view)
        : state(state)
        , archive(archive)
        , view(view)
        , survey(scheduler, slot)
        , run(scheduler, slot)
    {
    }

    // whenDone (optional) is told after the view, with the summary.
    void start(std::function<void(const Summary &)> whenDone = {});
    void cancel();
    bool running() const { return active; }

private:
    void surveyed(std::optional<QList<MeterTest>> tests);
    void downloadNext();
    void finish();

    SharedState &state;
    TestArchive &archive;
    LibraryDownloadView &view;
    NullViewerSink nowhere; // the tests go to the library only
    MeterSurvey survey;
    ArchivedRun run;
    std::function<void(const Summary &)> done;
    QList<MeterTest> toDownload;
    int at = 0;
    Summary summary;
    QElapsedTimer clock;
    bool active = false;
};

// "3 testes baixados (2345 registros), 2 já estavam na biblioteca; 12,3 s."
QString summaryText(const DownloadAll::Summary &summary);
