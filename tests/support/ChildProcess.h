#pragma once
// Small helpers for the programs tests run as child processes.

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <functional>

// Ends the process: SIGTERM, then SIGKILL if it has not gone within 3 s.
void endProcess(QProcess &process);

// A file's whole content, or nothing when it cannot be read.
QByteArray readWholeFile(const QString &path);

// Runs body in a forked child and returns its text, or "timed out after N s"
// when the child has not finished within `seconds` (it is then killed), or
// "child failed with status N". For calls that might block for good: the
// test goes on either way.
QString runInChildWithin(int seconds, const std::function<QString()> &body);
