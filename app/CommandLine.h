#pragma once
// The client's command line:
//   vestara [--help] [--version] [FILE.tvq]
//   vestara --listar [--porta COMn]
//   vestara --baixar N --saida FILE.tvq [--porta COMn]
//   vestara --baixar-todos [--porta COMn]
//   vestara --relogio [--porta COMn]
// It is read before the window system starts, so that --help, --version and
// the meter commands work without a display. Texts are Portuguese.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error, ListTests, DownloadTest, DownloadAll, SetClock };
    Action action = Action::Run;
    QString testFile;   // Run: a test file to open in the viewer, or empty
    QString message;    // Error: what was wrong
    int portNumber = 0; // meter commands: --porta (1..96), 0 for the stored port
    int testNumber = 0; // DownloadTest: 1-based, as the test tree numbers it
    QString outputFile; // DownloadTest: --saida

    bool meterCommand() const
    {
        return action == Action::ListTests || action == Action::DownloadTest || action == Action::DownloadAll ||
               action == Action::SetClock;
    }
};

// args as main() gets them, the program name first.
CommandLine parseCommandLine(const QStringList &args);

QString helpText();
QString versionText();
