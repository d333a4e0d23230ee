#pragma once
// Where the library's download flows ("Baixar todos", "Continuar download")
// show their progress and their end: a small progress window, or the command
// line's standard error.

#include <QString>

class LibraryDownloadView {
public:
    virtual ~LibraryDownloadView() = default;
    // What the flow does now ("Lendo os testes do medidor...").
    virtual void showActivity(const QString &text) = 0;
    // Test testNumber is being downloaded, the done-th of total.
    virtual void showTest(int testNumber, int done, int total) = 0;
    // Its records so far.
    virtual void showRecords(int records, int recordCount) = 0;
    // The end, once: the summary, and whether everything asked for came whole.
    virtual void downloadsEnded(const QString &summary, bool whole) = 0;
};
