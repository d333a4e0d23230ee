#include "control/ArchivedRun.h"

ArchivedRun::~ArchivedRun()
{
    if (active) {
        ++generation;
        active = false;
        scheduler.stopSequence();
        if (archive)
            archive->end(DownloadEnd::Interrupted);
        slot.detach(&self);
    }
}

void ArchivedRun::start(int testIndex, PollScheduler::RecordRange records, std::unique_ptr<ArchivedDownload> kept,
                        QObject *viewerWindow, ViewerSink *viewer, Done whenDone, bool keepRows)
{
    stop();
    archive = std::move(kept);
    window = viewerWindow;
    shown = viewer;
    done = std::move(whenDone);
    shownGuard.reset(viewerWindow, viewer);
    ViewerSink &next = archive ? archive->sink() : viewer ? static_cast<ViewerSink &>(shownGuard) : nothing;
    tap.reset(next, keepRows);
    slot.attach(viewerWindow ? viewerWindow : &self, &tap);
    active = true;
    const int run = ++generation;
    QPointer<QObject> alive(&self);
    scheduler.startDownload(testIndex, records, [this, alive, run](PollScheduler::Ended how) {
        if (alive && run == generation && active)
            ended(tap.endState(how == PollScheduler::Ended::Finished));
    });
}

void ArchivedRun::stop()
{
    if (!active)
        return;
    ++generation;
    scheduler.stopSequence();
    ended(DownloadEnd::Interrupted);
}

void ArchivedRun::ended(DownloadEnd how)
{
    active = false;
    if (archive) {
        archive->end(how);
        archive.reset();
    }
    // The viewer fills itself again; a run without one leaves the slot empty.
    if (window)
        slot.attach(window, shown);
    else
        slot.detach(&self);
    if (Done tell = std::exchange(done, {}))
        tell(how);
}
