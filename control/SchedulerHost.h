#pragma once
// What the polling scheduler reaches in the main window: the page shown, the
// menus it locks, Timer1's interval, the test tree and the download progress,
// the status bar and the live values. The main window implements it; tests use
// a recording fake and tick by hand. Commands go out through a CommandSender,
// the viewer's caption through the viewer's slot.

#include "control/LiveDisplay.h"
#include "core/MainWindowSink.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

class SchedulerHost : public StatusSink, public LiveReadingsView {
public:
    virtual bool liveReadingsPageShown() = 0;             // "Medições" is the page on screen
    virtual void resetTerminalScreen() = 0;               // ComTerminal1.ResetScreen
    virtual void setOptionsMenuEnabled(bool enabled) = 0; // "Opções"
    virtual void setPollInterval(int milliseconds) = 0;   // Timer1

    virtual void clearTestTree() = 0;
    virtual void showTestCount(int count) = 0; // Edit2
    virtual void addTestNode(const QString &text) = 0;
    virtual void setDownloadProgress(int maximum, int position) = 0; // VrProgressBar1
    virtual void setDownloadPosition(int position) = 0;
    virtual void setUnitMenuEnabled(bool enabled) = 0; // "Unidade"

    // Runs work once control is back in the event loop, never inside the
    // caller (the scheduler's early step, posted while the parser runs); it
    // is dropped if context is destroyed first. The main window runs it
    // inside its error boundary.
    virtual void postStep(QObject *context, std::function<void()> work)
    {
        QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
    }

    // A monotonic clock in milliseconds, for the reply time-out; tests that
    // tick by hand set the time themselves.
    virtual int64_t monotonicMs()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    // The text a status panel shows now, so that the time-out's notice can
    // give back what it covered. A host that cannot tell returns an empty text
    // and the notice is then left until something else is shown.
    virtual QString statusText(StatusPanel panel) const { return {}; }
};
