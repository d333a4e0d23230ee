#include "link/PortSelection.h"

#include "link/ComPort.h"

namespace {

constexpr int kLastSearchedPort = 16;

} // namespace

PortSelection::PortSelection(SharedState &state, TCustomComPort &port, PortSelectionView &view)
    : s(state), port(port), view(view)
{
    port.OnAfterOpen = [this](QObject *) { ComPort1AfterOpen(); };
    port.OnAfterClose = [this](QObject *) { ComPort1AfterClose(); };
    port.OnError = [this](QObject *, TComErrors errors) { ComPort1Error(errors); };
}

PortSelection::~PortSelection()
{
    port.OnAfterOpen = nullptr;
    port.OnAfterClose = nullptr;
    port.OnError = nullptr;
}

QString PortSelection::portText() const
{
    return QStringLiteral("Comm%1").arg(s.portNumber);
}

void PortSelection::sendCommand(const QByteArray &command)
{
    if (!port.Connected())
        return;
    s.readyToSend = false;
    bool written;
    try {
        written = port.SendText(command) == command.size();
    } catch (const EComPort &) {
        written = false;
    }
    // A write cut short by the time-out left the meter with half a command
    // and the link waiting for a reply that cannot come: it is a failed
    // write like any other.
    if (written)
        return;
    port.setConnected(false);
    view.setStatusText(1, QStringLiteral("Desconectado"));
    view.setStatusText(2, QString());
}

void PortSelection::openStoredPort()
{
    try {
        port.setPort(QString::number(s.portNumber));
        port.setConnected(true);
    } catch (const std::exception &) {
        view.setPortChecked(0);
    }
}

void PortSelection::closeAtExit() noexcept
{
    try {
        if (port.Connected())
            port.setConnected(false);
    } catch (const std::exception &) {
    }
}

void PortSelection::CommClick(int k)
{
    view.setPortChecked(k);
    if (port.Connected())
        port.setConnected(false);
    port.setPort(QString::number(k));
    try {
        port.setConnected(true);
    } catch (const EComPort &) {
        view.setStatusText(0, QStringLiteral("No Comm"));
    }
}

void PortSelection::Procurar1Click()
{
    if (port.Connected())
        port.setConnected(false);
    s.portNumber = 1;
    view.setStatusText(1, QString());
    view.setSearchTimerEnabled(true);
}

void PortSelection::Timer2Timer()
{
    switch (s.portSearchState) {
    case 0:
        view.setStatusText(0, QStringLiteral(">%1").arg(s.portNumber));
        try {
            port.setPort(QString::number(s.portNumber));
            port.setConnected(true);
        } catch (const EComPort &) {
        }
        s.portSearchState = 1;
        break;
    case 1:
        if (port.Connected()) {
            view.setSearchTimerEnabled(false);
            s.portSearchState = 0;
            s.replyState = 0;
            s.replyField.clear();
            s.readyToSend = true;
        } else {
            s.portSearchState = 2;
        }
        break;
    case 2:
        ++s.portNumber;
        if (s.portNumber > kLastSearchedPort)
            view.setSearchTimerEnabled(false);
        s.portSearchState = 0;
        break;
    }
}

void PortSelection::Desconectar1Click()
{
    port.setConnected(false);
}

void PortSelection::ComPort1AfterOpen()
{
    view.setStatusText(0, portText());
    view.setStatusText(1, QStringLiteral("Conectado"));
    view.setStatusText(2, QString());
    s.portSearchState = 0;
    s.replyState = 0;
    s.replyField.clear();
    s.readyToSend = true;
}

void PortSelection::ComPort1AfterClose()
{
    view.setStatusText(0, portText());
    view.setStatusText(1, QStringLiteral("Desconectado"));
    view.setStatusText(2, QString());
}

void PortSelection::ComPort1Error(TComErrors)
{
    port.setConnected(false);
    view.setStatusText(1, QString());
}
