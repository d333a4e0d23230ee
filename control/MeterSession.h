#pragma once
// The link to the meter and its one owner: the port, its terminal, the reply
// parser, the polling scheduler, the port selection, the poll timer (Timer1)
// and the search timer (Timer2). Received bytes go one way: terminal, session,
// parser. The session writes into one MeterView (a window, or the command
// line's host) and into the viewer and the dialogs through the window slots
// it is given; commands of menus and dialogs go through scheduler().
//
// The state record is the caller's (the program's one record, or a test's).

#include "control/MeterView.h"
#include "control/PollScheduler.h"
#include "control/PortSelection.h"
#include "core/SharedState.h"
#include "core/WindowSlots.h"
#include "link/ComPort.h"
#include "link/ComTerminal.h"
#include "link/ReplyParser.h"

#include <QByteArrayView>
#include <QTimer>

#include <memory>

class MeterSession : private SchedulerHost, private PortSelectionView {
public:
    // The port uses the operating system's serial devices unless a platform
    // is given (tests).
    MeterSession(SharedState &state, MeterView &view, WindowSlots &windows, std::shared_ptr<ComPlatform> platform = {});
    ~MeterSession() override;

    MeterSession(const MeterSession &) = delete;
    MeterSession &operator=(const MeterSession &) = delete;

    // Resets the link state, reads the settings (messages through the view),
    // opens the stored port, or portNumber (1..96) when one is given, and
    // starts the poll timer.
    void start(int portNumber = 0);
    // Stops both timers and closes the port (an error is logged).
    void stop() noexcept;

    void tick();       // Timer1: the next request, the sequence step, the display
    void searchStep(); // Timer2: the next step of the port search
    // What one read of the port returned, to the parser byte by byte.
    void received(QByteArrayView bytes);

    SharedState &state() { return s; }
    TComPort &port() { return comPort; }
    TComTerminal &terminal() { return comTerminal; }
    ReplyParser &parser() { return replyParser; }
    PollScheduler &scheduler() { return pollScheduler; }
    PortSelection &ports() { return portSelection; }
    QTimer &pollTimer() { return timer1; }
    QTimer &searchTimer() { return timer2; }

private:
    // SchedulerHost and PortSelectionView: the timers and the terminal are
    // the session's; everything else goes to the view.
    void setStatusText(StatusPanel panel, const QString &text) override { view.setStatusText(panel, text); }
    QString statusText(StatusPanel panel) const override { return view.statusText(panel); }
    void setValueLabel(ValueLabel label, const QString &text) override { view.setValueLabel(label, text); }
    void setGaugeValue(int gaugeNumber, double value) override { view.setGaugeValue(gaugeNumber, value); }
    void setTestCountText(const QString &text) override { view.setTestCountText(text); }
    bool liveReadingsPageShown() override { return view.liveReadingsPageShown(); }
    void resetTerminalScreen() override { comTerminal.ResetScreen(); }
    void setOptionsMenuEnabled(bool enabled) override { view.setOptionsMenuEnabled(enabled); }
    void setPollInterval(int milliseconds) override;
    void clearTestTree() override { view.clearTestTree(); }
    void showTestCount(int count) override { view.showTestCount(count); }
    void addTestNode(const QString &text) override { view.addTestNode(text); }
    void setDownloadProgress(int maximum, int position) override { view.setDownloadProgress(maximum, position); }
    void setDownloadPosition(int position) override { view.setDownloadPosition(position); }
    void setUnitMenuEnabled(bool enabled) override { view.setUnitMenuEnabled(enabled); }
    void postStep(QObject *context, std::function<void()> work) override { view.postStep(context, std::move(work)); }
    void setPortChecked(int k) override { view.setPortChecked(k); }
    void setSearchTimerEnabled(bool enabled) override;

    SharedState &s;
    MeterView &view;
    TComPort comPort;
    TComTerminal comTerminal;
    PortSelection portSelection;
    ReplyParser replyParser;
    PollScheduler pollScheduler;
    QTimer timer1;
    QTimer timer2;
};
