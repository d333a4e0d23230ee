#include "control/PortSelection.h"

#include "core/SettingsLocation.h"
#include "link/ComPort.h"
#include "link/PortNames.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"

#include <cerrno>

namespace {

constexpr int kLastSearchedPort = 16;

// A device the user may not open (not in the group that owns serial
// devices) is the usual first-run failure on Linux: the activity panel says
// what to do instead of leaving only a logged error number.
void hintOpenFailure(const std::exception &error, const TCustomComPort &port, StatusSink &view)
{
    const auto *failure = dynamic_cast<const EComPort *>(&error);
    if (!failure || failure->Code() != CError_OpenFailed ||
        (failure->WinCode() != EACCES && failure->WinCode() != EPERM))
        return;
    const QString device = comDevicePath(port.Port(), settingsFilePath());
    view.setStatusText(StatusPanel::Activity, QStringLiteral("Sem permissão para abrir %1: entre no grupo dialout "
                                                             "(sudo usermod -aG dialout $USER) e abra uma nova sessão")
                                                  .arg(device.isEmpty() ? port.Port() : device));
}

} // namespace

PortSelection::PortSelection(SharedState &state, TCustomComPort &port, PortSelectionView &view)
    : s(state)
    , port(port)
    , view(view)
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

bool PortSelection::sendCommand(const QByteArray &command)
{
    if (!port.Connected())
        return false;
    takeLine(s, command);
    bool written;
    try {
        written = port.SendText(command) == command.size();
    } catch (const EComPort &e) {
        qWarning("command not written: %s", e.what());
        written = false;
    }
    // A write cut short by the time-out left the meter with half a command
    // and the link waiting for a reply that cannot come: it is a failed
    // write like any other.
    if (written)
        return true;
    port.setConnected(false);
    view.setStatusText(StatusPanel::Link, QStringLiteral("Desconectado"));
    view.setStatusText(StatusPanel::Activity, QString());
    return false;
}

void PortSelection::openStoredPort()
{
    try {
        port.setPort(QString::number(s.portNumber));
        port.setConnected(true);
    } catch (const std::exception &e) {
        qWarning("stored port not opened: %s", e.what());
        view.setPortChecked(0);
        hintOpenFailure(e, port, view);
    }
}

void PortSelection::closeAtExit() noexcept
{
    try {
        if (port.Connected())
            port.setConnected(false);
    } catch (const std::exception &e) {
        qWarning("close at exit: %s", e.what());
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
    } catch (const EComPort &e) {
        qWarning("port %d not opened: %s", k, e.what());
        view.setStatusText(StatusPanel::Port, QStringLiteral("No Comm"));
        hintOpenFailure(e, port, view);
    }
}

void PortSelection::Procurar1Click()
{
    if (port.Connected())
        port.setConnected(false);
    s.portNumber = 1;
    view.setStatusText(StatusPanel::Link, QString());
    view.setSearchTimerEnabled(true);
}

void PortSelection::Timer2Timer()
{
    switch (s.portSearchState) {
    case SearchOpen:
        view.setStatusText(StatusPanel::Port, QStringLiteral(">%1").arg(s.portNumber));
        try {
            port.setPort(QString::number(s.portNumber));
            port.setConnected(true);
        } catch (const EComPort &e) {
            // The search goes on with the next number.
            qWarning("search: COM%d not opened: %s", int(s.portNumber), e.what());
            hintOpenFailure(e, port, view);
        }
        s.portSearchState = SearchCheck;
        break;
    case SearchCheck:
        if (port.Connected()) {
            view.setSearchTimerEnabled(false);
            s.portSearchState = SearchOpen;
            s.replyState = ReplyParser::Idle;
            s.replyField.clear();
            freeLine(s);
        } else {
            s.portSearchState = SearchNext;
        }
        break;
    case SearchNext:
        ++s.portNumber;
        if (s.portNumber > kLastSearchedPort)
            view.setSearchTimerEnabled(false);
        s.portSearchState = SearchOpen;
        break;
    }
}

void PortSelection::Desconectar1Click()
{
    port.setConnected(false);
}

void PortSelection::ComPort1AfterOpen()
{
    view.setStatusText(StatusPanel::Port, portText());
    view.setStatusText(StatusPanel::Link, QStringLiteral("Conectado"));
    view.setStatusText(StatusPanel::Activity, QString());
    s.portSearchState = SearchOpen;
    s.replyState = ReplyParser::Idle;
    s.replyField.clear();
    freeLine(s);
}

void PortSelection::ComPort1AfterClose()
{
    // No reply can come over a closed port: the line is free, and the next
    // request finds the port closed at once instead of after a time-out.
    s.replyState = ReplyParser::Idle;
    s.replyField.clear();
    freeLine(s);
    view.setStatusText(StatusPanel::Port, portText());
    view.setStatusText(StatusPanel::Link, QStringLiteral("Desconectado"));
    view.setStatusText(StatusPanel::Activity, QString());
}

void PortSelection::ComPort1Error(TComErrors)
{
    port.setConnected(false);
    view.setStatusText(StatusPanel::Link, QString());
}
