#pragma once
// The client's command line: `vestara [--help] [--version] [FILE.tvq]`. It is
// read before the window system starts, so that --help and --version work
// without a display. Texts are Portuguese.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString testFile; // Run: a test file to open in the viewer, or empty
    QString message;  // Error: what was wrong
};

// args as main() gets them, the program name first.
CommandLine parseCommandLine(const QStringList &args);

QString helpText();
QString versionText();
