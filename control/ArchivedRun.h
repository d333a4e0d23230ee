#pragma once
// One download the library flows run: stored test testIndex, or a range of
// its records, through the scheduler's download sequence (the requests, the
// time-out and the retries of a double-click), into the viewer shown or into
// nothing, by way of an archive when one is given. The run takes the viewer's
// slot for its tap while it lasts and gives it back at the end.
//
// done is told once, from the event loop: how the download ended, as the
// archive keeps it. A run stopped (stop(), another sequence started, the
// viewer closed) ends interrupted, with what had come.

#include "control/DownloadTap.h"
#include "control/PollScheduler.h"
#include "control/TestArchive.h"
#include "core/WindowSlots.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class ArchivedRun {
public:
    using Done = std::function<void(DownloadEnd)>;

    ArchivedRun(PollScheduler &scheduler, ViewerSlot &slot) : scheduler(scheduler), slot(slot) {}
    ~ArchivedRun();
    ArchivedRun(const ArchivedRun &) = delete;
    ArchivedRun &operator=(const ArchivedRun &) = delete;

    // window and shown: the viewer that shows the download, or null for none.
    // archive: null for a download kept nowhere but where it is shown.
    // keepRows: the tap keeps the last row (a probe).
    void start(int testIndex, PollScheduler::RecordRange records, std::unique_ptr<ArchivedDownload> archive,
               QObject *window, ViewerSink *shown, Done done, bool keepRows = false);
    bool running() const { return active; }
    // Ends the download in progress at once; done is told, interrupted.
    void stop();

    DownloadTap tap;

private:
    void ended(DownloadEnd how);

    PollScheduler &scheduler;
    ViewerSlot &slot;
    std::unique_ptr<ArchivedDownload> archive;
    GuardedViewer shownGuard;
    NullViewerSink nothing;
    QObject self; // the slot's window while no viewer shows the download
    QPointer<QObject> window;
    ViewerSink *shown = nullptr;
    Done done;
    bool active = false;
    int generation = 0; // a sequence's end told late to a run started since is ignored
};
