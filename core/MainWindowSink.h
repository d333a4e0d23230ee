#pragma once
// What the logic writes into the main window: the status bar, the "Max/Min"
// box, the memory gauge and its message boxes. The main window implements it;
// the reply parser, the scheduler and the port selection each reach it through
// the part they need. The viewer and the dialogs have sinks of their own
// (core/ViewerSink.h, core/DialogSinks.h), reached through the window slots.

#include <QString>

// The status bar's panels, numbered as they appear from the left.
enum class StatusPanel { Port = 0, Link = 1, Activity = 2 };

class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void setStatusText(StatusPanel panel, const QString &text) = 0;
};

// The labels of the "Max/Min" box, keeping their control numbers (Label6 ..
// Label11): each row holds the maximum above the minimum.
enum class MaxMinLabel { WetMax = 6, WetMin = 7, DryMax = 8, DryMin = 9, GlobeMax = 10, GlobeMin = 11 };

class MainWindowSink : public StatusSink {
public:
    virtual void setMaxMinLabel(MaxMinLabel label, const QString &text) = 0;
    virtual void setMemoryMaximum(int value) = 0; // ProgressBar1
    virtual void setMemoryPosition(int value) = 0;
    // A modal message box with an OK button.
    virtual void showMessage(const QString &text, const QString &caption) = 0;
};

// Skips every write; the base of recording fakes.
class NullMainWindowSink : public MainWindowSink {
public:
    void setStatusText(StatusPanel, const QString &) override {}
    void setMaxMinLabel(MaxMinLabel, const QString &) override {}
    void setMemoryMaximum(int) override {}
    void setMemoryPosition(int) override {}
    void showMessage(const QString &, const QString &) override {}
};
