#pragma once
// The test library: every test downloaded or opened, kept in one SQLite file
// (Qt SQL, QSQLITE driver), found again by its header, origin and records.
//
// Opening (the constructor) checks the file before anything is written:
// - a file of a newer schema version than this program knows is not touched:
//   LibraryError "A biblioteca ... foi criada por uma versão mais nova ...";
// - a file that fails "PRAGMA integrity_check" (or is no database at all) is
//   renamed beside itself to "<name>.danificada-<yyyyMMdd-HHmmss>", with its
//   -wal and -shm files, and a fresh library is created in its place;
//   notice() then says so in Portuguese. Nothing is overwritten or deleted;
// - an older schema is migrated forward, one version at a time, each step in
//   one transaction.
// The file runs in WAL mode with foreign keys on and synchronous=NORMAL: a
// commit survives a crash of the program; a power cut may lose the last
// commits, never the file.
//
// Every write is one transaction. Two programs may keep the same library: a
// writer waits up to BusyTimeoutMs for the other; if that is not enough it
// throws LibraryError "A biblioteca ... está em uso ...", having changed
// nothing. Any other failure (read-only file, full disk, removed folder)
// throws LibraryError naming the file and the cause in Portuguese; the
// transaction is rolled back, so what the library held before is kept.
//
// Records are kept in chunks of up to ChunkRows rows, each compressed: the
// texts of a record take about 20 bytes on disk, and a 100,000-record test
// loads in a few hundredths of a second. Appending to a test whose last chunk
// is not full rewrites that chunk, so a download committed every second does
// not leave thousands of tiny chunks.
//
// Each object has its own connection (named after the object); use an object
// on the thread that created it. Not copyable.

#include "core/AppError.h"
#include "recordings/library/LibraryTypes.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class ViewerSink;

class LibraryError : public AppError {
public:
    using AppError::AppError;
};

// The library's file: the value "Biblioteca" of the settings file when it
// holds a non-empty text, else $XDG_DATA_HOME/Tavenor/biblioteca.sqlite
// (~/.local/share/... when the variable is unset or empty).
QString libraryFilePath();

// How the test list is ordered (LibraryModel's columns).
enum class LibraryOrder { Company, Sector, Name, Start, Duration, Interval, Records, Origin, State };

struct LibraryQuery {
    QString search;     // each word must appear in a text column (no case)
    bool trash = false; // the tests in the "Lixeira" instead of the others
    LibraryOrder order = LibraryOrder::Start;
    bool descending = false;
    int offset = 0;
    int limit = -1; // all
};

class LibraryStore {
public:
    static constexpr int SchemaVersion = 1;
    static constexpr int ChunkRows = 512;
    static constexpr int BusyTimeoutMs = 5000;

    // Opens (creating folder and file when missing) the library at path. Throws
    // LibraryError when it cannot be used this run (see above).
    explicit LibraryStore(const QString &path, int busyTimeoutMs = BusyTimeoutMs);
    ~LibraryStore();
    LibraryStore(const LibraryStore &) = delete;
    LibraryStore &operator=(const LibraryStore &) = delete;

    QString path() const;
    // What the operator must be told about the opening (a damaged file set
    // aside); empty when nothing.
    QString notice() const;

    // ---- Writing a test as it arrives ----
    // A new test without records, state Interrupted until finishTest.
    qint64 createTest(const TestOrigin &origin, const TestHeader &header = {});
    // Adds record rows (rows above every row kept; lower ones are skipped as
    // kept already) and updates the count, the first and last record and the
    // interval.
    void appendRecords(qint64 test, const std::vector<NumberedRow> &rows);
    void finishTest(qint64 test, TestState state);
    // A whole test at once (an imported file), in one transaction: it is in
    // the library with all its rows, or not at all.
    qint64 addTest(const TestOrigin &origin, const TestHeader &header, const std::vector<NumberedRow> &rows,
                   TestState state);

    // ---- Finding and reading ----
    // The test downloaded from the meter's test meterTestNumber holding
    // recordCount records whose first and last rows are first and last (the
    // newest when several); nothing when none.
    std::optional<FoundTest> findMeterTest(int meterTestNumber, int recordCount, const RecordRow &first,
                                           const RecordRow &last) const;
    // The test of a file with these bytes' SHA-256, if one was imported.
    std::optional<qint64> findFile(const QByteArray &sha256) const;
    std::optional<TestInfo> info(qint64 test) const;
    // The tests whose every record arrived (not in the trash), oldest first.
    std::vector<qint64> completeTests() const;
    std::vector<TestInfo> tests(const LibraryQuery &query) const;
    int testCount(const LibraryQuery &query) const; // offset and limit ignored

    // Writes the test into a viewer as "Carregar teste" does: the four header
    // fields, every record row's eight texts (row by row, so the table has the
    // rows it had), a chart point for each temperature that reads (x = row),
    // then the caption " - n Registros" (" (interrompido)", " (incompleto)"
    // added for such a test) and the record count. False when no such test.
    bool loadTest(qint64 test, ViewerSink &viewer) const;
    // One record row; nothing when the test has no such row.
    std::optional<RecordRow> recordRow(qint64 test, int row) const;

    // Changes whenever the library changed, through this object or another
    // program, so a window can tell when to read it again.
    quint64 version() const;

    // ---- Editing ----
    void saveHeader(qint64 test, const TestHeader &header);
    void saveAssessment(qint64 test, const QString &choices);
    // "Lixeira": trashed tests leave every list but the trash's; restore brings
    // them back; only emptyTrash deletes (them and their records).
    void trash(const std::vector<qint64> &tests);
    void restore(const std::vector<qint64> &tests);
    int emptyTrash();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
