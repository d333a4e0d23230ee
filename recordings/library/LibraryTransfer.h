#pragma once
// Test files in and out of the library. Importing keeps a test file's test
// as the viewer shows it after "Carregar teste", with the file's name and the
// SHA-256 of its bytes: the same bytes imported again give the test kept the
// first time, not a second one. Exporting writes a test as "Salvar dados"
// would, under the name "Salvar dados" proposes.

#include "recordings/library/LibraryTypes.h"

#include <QStringList>

#include <optional>
#include <vector>

class LibraryStore;

struct ImportedTest {
    qint64 test = 0;
    bool added = false; // false: the same file was in the library already
};

// The test of a file's bytes (fileName is kept, without its folder). Throws
// LibraryError when the library cannot take it.
ImportedTest importTestBytes(LibraryStore &store, const QString &fileName, const QByteArray &bytes);
// The same for a file whose bytes were read into header and table already
// (a viewer that shows it): they are not read a second time.
ImportedTest importReadTest(LibraryStore &store, const QString &fileName, const QByteArray &bytes,
                            const TestHeader &header, const ViewerTable &table);

struct ImportSummary {
    int added = 0;
    int present = 0;      // in the library already
    QStringList failures; // one Portuguese line per file that could not be imported
    // "3 testes importados, 1 já estava na biblioteca." and the failures, one per line.
    QString text() const;
};

// Reads and imports each file; a failure does not stop the others.
ImportSummary importTestFiles(LibraryStore &store, const QStringList &paths);

// Writes each test into folder as a test file; a name already taken gets
// " (2)", " (3)" ... before ".tvq", so nothing is overwritten. Returns the
// files written. Throws AppError (naming the file) at the first that fails;
// those written before it stay.
QStringList exportTests(const LibraryStore &store, const std::vector<qint64> &tests, const QString &folder);
