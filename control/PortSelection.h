#pragma once
// The main window's side of the serial link: the "Comunicação" menu (a port
// item, "Procurar", "Desconectar"), the port search run by Timer2, the status
// texts about the link, the reaction to line errors, and sendCommand, the one
// routine through which commands reach the meter (the CommandSender that the
// main window hands to its dialogs).
//
// Constructing it assigns the port's OnAfterOpen, OnAfterClose and OnError to
// ComPort1AfterOpen, ComPort1AfterClose and ComPort1Error; destroying it
// clears them.

#include "core/MainWindowSink.h"
#include "core/SharedState.h"
#include "link/ComEvents.h"
#include "link/CommandSender.h"

#include <QByteArray>
#include <QString>

class TCustomComPort;

// What the logic needs from the window.
class PortSelectionView : public StatusSink {
public:
    // Checks port item k (1..4) and unchecks the others; 0 unchecks all four.
    virtual void setPortChecked(int k) = 0;
    virtual void setSearchTimerEnabled(bool enabled) = 0;
};

class PortSelection : public CommandSender {
public:
    PortSelection(SharedState &state, TCustomComPort &port, PortSelectionView &view);
    ~PortSelection() override;

    PortSelection(const PortSelection &) = delete;
    PortSelection &operator=(const PortSelection &) = delete;

    // Writes one complete command. Nothing happens while the port is closed.
    // A write that fails or does not complete within the write time-out
    // closes the port and shows "Desconectado"; only an error of that close
    // reaches the caller. True when the whole command was written.
    bool sendCommand(const QByteArray &command) override;

    // Start-up: opens the port numbered portNumber ("0" and other numbers
    // outside 1..96 open COM1). A failure is logged and unchecks all port
    // items. Here, in CommClick and in the search, a device the user has no
    // permission to open (EACCES, EPERM) puts "Sem permissão para abrir
    // /dev/...: entre no grupo dialout ..." in the activity panel.
    void openStoredPort();
    // Shut-down: closes the port if open; an error is logged.
    void closeAtExit() noexcept;

    // The port search's steps (SharedState::portSearchState), one per tick.
    enum SearchStep : int32_t { SearchOpen = 0, SearchCheck = 1, SearchNext = 2 };

    void CommClick(int k); // Comm11Click .. Comm41Click: k = 1..4
    void Procurar1Click();
    void Timer2Timer();
    void Desconectar1Click();

    void ComPort1AfterOpen();
    void ComPort1AfterClose();
    void ComPort1Error(TComErrors errors);

private:
    QString portText() const;

    SharedState &s;
    TCustomComPort &port;
    PortSelectionView &view;
};
