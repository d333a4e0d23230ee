#pragma once
// The values the test library keeps and hands back, apart from the store that
// keeps them, so that windows and the download paths can name them without
// the SQL module.

#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The eight texts of one record row of the viewer's table, "Registro" .. "Data".
using RecordRow = std::array<QString, ViewerTable::ColumnCount>;

// A record row with its row number in the viewer's table (records from 1).
struct NumberedRow {
    int row = 0;
    RecordRow texts;
};

// Whether every record the test should hold arrived. The values are kept in
// the file: never renumber them.
enum class TestState {
    Complete = 0,    // every record arrived (a download that ended, an imported file)
    Interrupted = 1, // the download stopped early (line cut, meter silent, viewer closed, program ended)
    Incomplete = 2,  // the download ended, but records came twice or out of order
};

// "completo", "interrompido", "incompleto".
QString testStateText(TestState state);

// Where a test came from: a download from the meter, or an imported file.
struct TestOrigin {
    enum class Kind { Meter = 0, File = 1 };
    Kind kind = Kind::Meter;
    // A download: the port, the meter's test number (1-based), the records
    // the meter said the test holds, and when the download began.
    QString port;
    int meterTestNumber = 0;
    int meterRecordCount = 0;
    QDateTime moment;
    // An imported file: its name (without folder) and the SHA-256 of its bytes.
    QString fileName;
    QByteArray sha256;

    static TestOrigin meter(const QString &port, int testNumber, int recordCount,
                            const QDateTime &moment = QDateTime::currentDateTime());
    static TestOrigin file(const QString &fileName, const QByteArray &bytes);
    // "COM1, teste 3" or the file name, for the operator.
    QString text() const;
};

// What the library knows of a test without reading its records.
struct TestInfo {
    qint64 id = 0;
    TestHeader header;
    TestOrigin origin;
    TestState state = TestState::Interrupted;
    int recordCount = 0;                  // record rows kept
    int lastRow = 0;                      // the highest row kept (0 when none)
    std::optional<qint64> firstMoment;    // the first/last record's date and time, as
    std::optional<qint64> lastMoment;     // seconds since 01/01/2000 00:00:00
    std::optional<int> intervalSeconds;   // median gap between records that read
    std::optional<RecordRow> firstRecord; // the first and last record rows kept
    std::optional<RecordRow> lastRecord;
    QString assessment;                 // the "Avaliação" choices, as the page wrote them
    std::optional<QDateTime> trashedAt; // in the "Lixeira" since
};

// A test found by its meter origin.
struct FoundTest {
    qint64 id = 0;
    TestState state = TestState::Interrupted;
    bool trashed = false;
};
