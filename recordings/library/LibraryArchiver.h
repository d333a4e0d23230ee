#pragma once
// Keeps a download in the library as it arrives. Put in front of the viewer's
// sink: every write goes on to the viewer unchanged, and the test's record
// rows, header fields and end go into the library.
//
// A row is complete when the record count reaches it (the parser writes a
// record's eight cells, then the new count). Complete rows are committed in
// one transaction at most once a second (checked as records arrive) and at the
// end, so a crash, a pulled cable or a closed viewer loses at most the last
// second; the test stays "interrompido" until it ends well.
//
// The end is taken from the caption the download appends (" - n Registros":
// complete; "(interrompido)", "(incompleto)"), or given with finish(). An
// archiver destroyed before the end commits what it holds and leaves the test
// "interrompido" (the viewer closed mid-download, the program quitting).
//
// A library failure (full disk, read-only file, library busy) never stops the
// download or the viewer: the rows stay held and are tried again at the next
// commit; failed() is called once per failing run with the Portuguese message.
// Costs a copy of each text and a commit per second: well under 1 % of a core
// at the meter's pace.

#include "core/ViewerSink.h"
#include "recordings/library/LibraryTypes.h"

#include <QElapsedTimer>

#include <functional>
#include <map>
#include <optional>

class LibraryStore;

class LibraryArchiver : public ViewerSink {
public:
    static constexpr int CommitIntervalMs = 1000;

    // target is asked for the sink at every write (a window slot's get()), so
    // a viewer closed mid-download is not written to and archiving goes on.
    LibraryArchiver(LibraryStore &store, std::function<ViewerSink &()> target);
    LibraryArchiver(LibraryStore &store, ViewerSink &target);
    ~LibraryArchiver() override;
    LibraryArchiver(const LibraryArchiver &) = delete;
    LibraryArchiver &operator=(const LibraryArchiver &) = delete;

    // A new test in the library for the download about to start. Throws
    // LibraryError when the library cannot take it (the download may go on
    // unarchived).
    qint64 begin(const TestOrigin &origin);
    // Goes on with a test kept already ("Continuar download"): rows up to its
    // last kept row are taken as kept, later rows are added. Throws
    // LibraryError; false when no such test.
    bool continueTest(qint64 test);
    // Commits every complete row and sets the state. Does nothing when not
    // begun or already finished. Never throws (failed() is told).
    void finish(TestState state);
    // Commits the complete rows held now.
    void commit();

    // The test being archived (0 before begin).
    qint64 test() const { return testId; }
    bool finished() const { return done; }
    // Rows committed so far.
    int keptRows() const { return keptUpTo; }

    std::function<void(const QString &message)> failed;
    // The least time between commits during a download (tests shorten it).
    int commitIntervalMs = CommitIntervalMs;

    // ViewerSink
    void setViewerCell(int row, int column, QAnyStringView text) override;
    void addChartPoint(int series, double x, double y) override;
    void setViewerRecordCount(int records) override;
    void appendViewerCaption(const QString &text) override;
    void setHeaderField(int field, const QString &text) override;

private:
    void commitRows(int upTo);
    void reportFailure(const QString &message);

    LibraryStore &store;
    std::function<ViewerSink &()> target;
    qint64 testId = 0;
    bool done = false;
    bool failing = false;
    std::map<int, RecordRow> held;                     // rows written and not yet committed
    int completeUpTo = 0;                              // rows up to here are whole
    int keptUpTo = 0;                                  // rows up to here are in the library
    std::array<std::optional<QString>, 4> headerEdits; // header fields written, not yet committed
    QElapsedTimer sinceCommit;
};
