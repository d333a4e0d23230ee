#pragma once
// The main window's side of the library flows: the "Baixar todos" button of
// the "Testes" page, the double-click download archived as it arrives, the
// safe "Apagar memória" and "Continuar download" (of the newest interrupted
// download from the "Testes" page, or of a test the "Biblioteca" window
// names). The flows themselves are control/'s; this holds them, the
// program's library (programLibrary(), at the first use; one that cannot be
// opened is reported once, and the downloads then go on unkept), the
// progress window and the erase question.

#include "control/ArchivedRun.h"
#include "control/DownloadAll.h"
#include "control/ResumeDownload.h"
#include "control/SafeErase.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class LibraryArchive;
class LibraryProgress;
class QPushButton;
class QWidget;

class LibraryDownloads : public QObject, private EraseQuestion {
    Q_OBJECT
public:
    LibraryDownloads(QWidget *mainWindow, SharedState &state, PollScheduler &scheduler, ViewerSlot &slot);
    ~LibraryDownloads() override;

    // The running main window's, for the "Biblioteca" window; null without one.
    static LibraryDownloads *current();

    // "Baixar todos", for the "Testes" page.
    QPushButton *makeDownloadAllButton(QWidget *parent);
    void downloadAll();
    // The double-click: test testIndex into the viewer, kept in the library
    // as it arrives.
    void downloadIntoViewer(int testIndex, QObject *viewerWindow, ViewerSink &viewer);
    // "Apagar memória" (the password asked through prompt).
    void eraseMemory(PasswordPrompt &prompt, Tell tell);
    // "Continuar download" of library test `testId`; false when another
    // library flow runs (the operator is told).
    bool continueDownload(qint64 testId);
    // "Continuar download" for the "Testes" page: the newest interrupted
    // download of the library.
    QPushButton *makeContinueButton(QWidget *parent);

    LibraryProgress &progressWindow() { return *progress; }
    // The flows keep their tests in `replacement` from now on, not in the
    // program's library (benchmarks compare a download kept nowhere).
    void useArchive(std::unique_ptr<TestArchive> replacement);
    // Answers the erase question in place of the box (tests).
    std::function<Answer(const QString &question)> answerWithoutBox;

private:
    Answer askBeforeErasing(const QString &question) override;
    TestArchive &archive();
    bool busy();

    QWidget *mainWindow;
    SharedState &state;
    PollScheduler &scheduler;
    ViewerSlot &slot;
    std::unique_ptr<LibraryArchive> library;
    std::unique_ptr<TestArchive> other; // stands in for a library that cannot be opened
    bool opened = false;
    LibraryProgress *progress; // a child of the main window
    GuardedViewer shownViewer; // the double-click's viewer, while it exists
    ArchivedRun viewerDownload;
    std::unique_ptr<DownloadAll> all;
    std::unique_ptr<ResumeDownload> resume;
    std::unique_ptr<SafeErase> erase;
};
