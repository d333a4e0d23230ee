#include "app/CommandLine.h"
#include "app/MeterCommand.h"
#include "forms/ErrorReport.h"
#include "forms/TesteTemperatura.h"
#include "forms/ViewerLibrary.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The arguments as the user typed them, decoded from the system's encoding.
QStringList arguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// SIGTERM, SIGINT and SIGHUP end the run as "Sair" does: the main window
// closes, which writes the settings and releases the port. The handler only
// writes a byte into a pipe; the event loop reads it and does the rest. What
// the close has to tell (a settings file that cannot be written) goes to
// standard error: nobody may be there to press OK, and a box would hold the
// logout or the kill.
int signalPipe[2] = {-1, -1};
QPointer<TForm1> windowToClose; // set once the main window exists

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// Closes the open modal boxes first (a prompt, a message): the window's
// handler that opened one is still on the stack and must return before the
// window goes. A box whose closing opens another is closed on the next turn.
void closeForSignal(QPointer<TForm1> window, int turnsLeft)
{
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != window && turnsLeft > 0) {
        modal->close();
        QTimer::singleShot(0, qApp, [window, turnsLeft] { closeForSignal(window, turnsLeft - 1); });
        return;
    }
    if (window)
        window->close();
    else
        QCoreApplication::quit();
}

// Installed before the main window is made: a signal that comes while it is
// being created waits in the pipe until the event loop runs.
void closeOnTerminationSignals()
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("no pipe for the termination signals: they end the program without saving");
        return;
    }
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        reportToStandardError();
        closeForSignal(windowToClose, 20);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    // A write past the file-size limit (ulimit -f) then fails with EFBIG and
    // is reported like a full disk, instead of killing the program with
    // whatever it had not saved.
    std::signal(SIGXFSZ, SIG_IGN);

    // Read before the window system starts: --help, --version and the meter
    // commands need no display.
    const CommandLine line = parseCommandLine(arguments(argc, argv));
    switch (line.action) {
    case CommandLine::Action::Help: print(stdout, helpText()); return 0;
    case CommandLine::Action::Version: print(stdout, versionText()); return 0;
    case CommandLine::Action::Error:
        print(stderr, line.message + QStringLiteral("\nUse --help para ver as opções.\n"));
        return 2;
    case CommandLine::Action::ListTests:
    case CommandLine::Action::DownloadTest:
    case CommandLine::Action::DownloadAll:
    case CommandLine::Action::SetClock: {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("VESTARA"));
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runMeterCommand(line, out, err);
    }
    case CommandLine::Action::Run: break;
    }

    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    closeOnTerminationSignals();
    QPointer<TForm1> mainWindow = TForm1::createMainWindow();
    windowToClose = mainWindow;
    // Once the main window is on screen: the library is opened and checked
    // now, so a damaged or unusable file is reported at start-up rather than
    // in the middle of the first download.
    QMetaObject::invokeMethod(
        mainWindow, [] { libraryForWindows(); }, Qt::QueuedConnection);
    if (!line.testFile.isEmpty()) {
        // Once the event loop runs, so the main window is on screen first.
        QMetaObject::invokeMethod(
            mainWindow,
            [mainWindow, path = line.testFile] {
                if (mainWindow)
                    mainWindow->openTestFileAtStart(path);
            },
            Qt::QueuedConnection);
    }
    return app.exec();
}
