#include "app/CommandLine.h"
#include "forms/ErrorReport.h"
#include "forms/TesteTemperatura.h"

#include <QMetaObject>
#include <QPointer>
#include <QStringList>

#include <cstdio>

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

} // namespace

int main(int argc, char **argv)
{
    // Read before the window system starts: --help and --version need no display.
    const CommandLine line = parseCommandLine(arguments(argc, argv));
    switch (line.action) {
    case CommandLine::Action::Help:
        print(stdout, helpText());
        return 0;
    case CommandLine::Action::Version:
        print(stdout, versionText());
        return 0;
    case CommandLine::Action::Error:
        print(stderr, line.message + QStringLiteral("\nUse --help para ver as opções.\n"));
        return 2;
    case CommandLine::Action::Run:
        break;
    }

    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("VESTARA"));
    QPointer<TForm1> mainWindow = TForm1::createMainWindow();
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
