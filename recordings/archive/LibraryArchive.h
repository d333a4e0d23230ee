#pragma once
// The test library behind the meter flows' TestArchive: a download goes into
// the library through a LibraryArchiver in front of the viewer; a meter test
// is kept complete when the library holds a complete test (in the "Lixeira"
// or not: it is in the file until the trash is emptied) from the same meter
// test number with the same record count and the same first and last rows.
//
// A library that cannot take a download (busy, read-only, full) leaves it
// unarchived: beginDownload then returns nothing and problem() says why in
// Portuguese; a failure during a download goes to `failed`, once a run.

#include "control/TestArchive.h"

#include <QString>

#include <functional>
#include <memory>

class LibraryStore;

class LibraryArchive : public TestArchive {
public:
    explicit LibraryArchive(LibraryStore &store) : store(store) {}

    bool holdsComplete(const MeterTest &test) override;
    std::unique_ptr<ArchivedDownload> beginDownload(const DownloadOrigin &origin, ViewerSink &shown) override;
    std::optional<InterruptedTest> interruptedTest(qint64 id) override;
    std::unique_ptr<ArchivedDownload> continueDownload(qint64 id, ViewerSink &shown) override;
    std::optional<qint64> lastInterrupted() override;
    QString problem() const override { return lastProblem; }

    std::function<void(const QString &message)> failed;

private:
    LibraryStore &store;
    QString lastProblem;
};

// The program's library (libraryFilePath()) opened for the meter flows, or
// nothing with the reason in `problem`; a notice of the opening (a damaged
// file set aside) goes to `problem` too.
std::unique_ptr<LibraryArchive> openLibraryArchive(QString &problem);
