#pragma once
// What the meter session shows: the status bar, the live values, the test
// list and the download progress, the menus a sequence locks and the meter's
// messages, and what reading the settings has to tell. The main window
// implements it, and so does the command line's host, which shows nothing but
// prints what it needs. The poll and search timers and the terminal are the
// session's own and are not here.

#include "control/LiveDisplay.h"
#include "core/MainWindowSink.h"
#include "core/Settings.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>

class MeterView : public MainWindowSink, public LiveReadingsView, public SettingsUi {
public:
    virtual bool liveReadingsPageShown() = 0;             // live polling runs only then
    virtual void setOptionsMenuEnabled(bool enabled) = 0; // "Opções"
    virtual void clearTestTree() = 0;
    virtual void showTestCount(int count) = 0;
    virtual void addTestNode(const QString &text) = 0;
    virtual void setDownloadProgress(int maximum, int position) = 0;
    virtual void setDownloadPosition(int position) = 0;
    // Locked while a test-list read runs; unlocked whenever a sequence ends.
    virtual void setUnitMenuEnabled(bool enabled) = 0;
    // Checks port item k (1..4); 0 unchecks all four.
    virtual void setPortChecked(int k) = 0;

    // As SchedulerHost: the text a status panel shows now (empty when the
    // view cannot tell), and where the scheduler's early steps run.
    virtual QString statusText(StatusPanel panel) const { return {}; }
    virtual void postStep(QObject *context, std::function<void()> work)
    {
        QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
    }
    // Runs the work of a timer's tick; the main window runs it inside its
    // error boundary.
    virtual void runTimerWork(const std::function<void()> &work) { work(); }
};

// Shows nothing and keeps live polling off; the base of recording fakes.
class NullMeterView : public MeterView {
public:
    void setStatusText(StatusPanel, const QString &) override {}
    void setMaxMinLabel(MaxMinLabel, const QString &) override {}
    void setMemoryMaximum(int) override {}
    void setMemoryPosition(int) override {}
    void showMessage(const QString &, const QString &) override {}
    void setValueLabel(ValueLabel, const QString &) override {}
    void setGaugeValue(int, double) override {}
    void setTestCountText(const QString &) override {}
    void plainMessage(const QString &) override {}
    void errorReport(const QString &) override {}
    bool liveReadingsPageShown() override { return false; }
    void setOptionsMenuEnabled(bool) override {}
    void clearTestTree() override {}
    void showTestCount(int) override {}
    void addTestNode(const QString &) override {}
    void setDownloadProgress(int, int) override {}
    void setDownloadPosition(int) override {}
    void setUnitMenuEnabled(bool) override {}
    void setPortChecked(int) override {}
};
