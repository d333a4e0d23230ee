#pragma once
// Small helpers for the programs tests run as child processes.

#include <QByteArray>
#include <QProcess>
#include <QString>

// Ends the process: SIGTERM, then SIGKILL if it has not gone within 3 s.
void endProcess(QProcess &process);

// A file's whole content, or nothing when it cannot be read.
QByteArray readWholeFile(const QString &path);
