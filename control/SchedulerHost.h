#pragma once
// What the polling scheduler reaches in the windows. The main window
// implements it; tests use a recording fake and tick by hand.

#include <QByteArray>
#include <QString>

class SchedulerHost {
public:
    virtual ~SchedulerHost() = default;

    virtual bool liveReadingsPageShown() = 0;              // "Medições" is the page on screen
    virtual void resetTerminalScreen() = 0;                // ComTerminal1.ResetScreen
    virtual void setOptionsMenuEnabled(bool enabled) = 0;  // "Opções"
    virtual void setPollInterval(int milliseconds) = 0;    // Timer1
    virtual void sendCommand(const QByteArray &command) = 0;

    virtual void clearTestTree() = 0;
    virtual void showTestCount(int count) = 0;             // Edit2
    virtual void addTestNode(const QString &text) = 0;
    virtual void setDownloadProgress(int maximum, int position) = 0; // VrProgressBar1
    virtual void setDownloadPosition(int position) = 0;
    virtual void appendViewerCaption(const QString &text) = 0;       // Form5, if still open
    virtual void setUnitMenuEnabled(bool enabled) = 0;     // "Unidade"
    virtual void setStatusText(int panel, const QString &text) = 0;

    virtual void refreshLiveDisplay() = 0;
};
