#include "recordings/library/LibraryDatabase.h"

#include "recordings/library/LibraryStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

namespace {

// SQLite's primary result codes that the operator is told about in words.
enum SqliteCode {
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoError = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADb = 26
};

int primaryCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xFF : -1;
}

bool damagedCode(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == Corrupt || code == NotADb;
}

QString quoted(const QString &path)
{
    return QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(path));
}

// Schema steps: entry n brings a file of version n to version n + 1.
const char *const Migrations[] = {
    R"(CREATE TABLE tests(
         id INTEGER PRIMARY KEY,
         name TEXT NOT NULL DEFAULT '', sector TEXT NOT NULL DEFAULT '',
         company TEXT NOT NULL DEFAULT '', remarks TEXT NOT NULL DEFAULT '',
         origin INTEGER NOT NULL, port TEXT, meter_test INTEGER, meter_records INTEGER,
         moment TEXT, file_name TEXT, file_hash BLOB,
         state INTEGER NOT NULL, record_count INTEGER NOT NULL DEFAULT 0, last_row INTEGER NOT NULL DEFAULT 0,
         first_moment INTEGER, last_moment INTEGER, interval_s INTEGER,
         first_record TEXT, last_record TEXT,
         assessment TEXT NOT NULL DEFAULT '', trashed_at TEXT,
         search TEXT NOT NULL DEFAULT '');
       CREATE UNIQUE INDEX tests_file ON tests(file_hash) WHERE file_hash IS NOT NULL;
       CREATE INDEX tests_meter ON tests(meter_test, record_count);
       CREATE INDEX tests_start ON tests(first_moment);
       CREATE TABLE chunks(
         id INTEGER PRIMARY KEY,
         test INTEGER NOT NULL REFERENCES tests(id) ON DELETE CASCADE,
         base_row INTEGER NOT NULL, last_row INTEGER NOT NULL, row_count INTEGER NOT NULL,
         data BLOB NOT NULL);
       CREATE INDEX chunks_test ON chunks(test, base_row);)",
};
static_assert(std::size(Migrations) == LibraryStore::SchemaVersion);

void migrate(QSqlDatabase &db, const QString &path)
{
    const QString userVersion = QStringLiteral("PRAGMA user_version");
    if (libraryValue(db, path, userVersion).toInt() >= LibraryStore::SchemaVersion)
        return; // nothing to write: a read-only library stays readable
    LibraryTransaction transaction(db, path);
    // Read again under the write lock: another program may have migrated it.
    const int version = libraryValue(db, path, userVersion).toInt();
    if (version >= LibraryStore::SchemaVersion)
        return;
    for (int v = version; v < LibraryStore::SchemaVersion; ++v) {
        for (const QString &statement : QString::fromUtf8(Migrations[v]).split(u';', Qt::SkipEmptyParts)) {
            if (!statement.trimmed().isEmpty())
                runLibrarySql(db, path, statement);
        }
    }
    runLibrarySql(db, path, QStringLiteral("PRAGMA user_version = %1").arg(LibraryStore::SchemaVersion));
    transaction.commit();
}

enum class Check { Sound, Damaged };

// The file's version and soundness, read before anything is written to it.
Check check(QSqlDatabase &db, const QString &path)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        if (damagedCode(q.lastError()))
            return Check::Damaged;
        throwLibraryError(path, q.lastError());
    }
    const int version = q.value(0).toInt();
    if (version > LibraryStore::SchemaVersion)
        throw LibraryError(QStringLiteral("A biblioteca %1 foi criada por uma versão mais nova do programa "
                                          "(versão %2 do arquivo, esta conhece até a %3) e não será alterada; "
                                          "a biblioteca não está disponível nesta execução.")
                               .arg(quoted(path))
                               .arg(version)
                               .arg(LibraryStore::SchemaVersion));
    if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next()) {
        if (damagedCode(q.lastError()))
            return Check::Damaged;
        throwLibraryError(path, q.lastError());
    }
    return q.value(0).toString() == QLatin1String("ok") ? Check::Sound : Check::Damaged;
}

// Renames path and its -wal and -shm files to "<path>.danificada-<moment>"
// (a number added if that name is taken); returns the new name of path.
QString setAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = QStringLiteral("%1.danificada-%2").arg(path, stamp);
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo::exists(aside + QStringLiteral("-wal")); ++n)
        aside = QStringLiteral("%1.danificada-%2-%3").arg(path, stamp).arg(n);
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile file(path + suffix);
        if (file.exists() && !file.rename(aside + suffix))
            throw LibraryError(QStringLiteral("A biblioteca %1 está danificada e não pôde ser guardada à parte "
                                              "como %2: %3; a biblioteca não está disponível nesta execução.")
                                   .arg(quoted(path + suffix), quoted(aside + suffix), file.errorString()));
    }
    return aside;
}

// Why the file cannot be opened for writing, as far as the file system tells.
QString writeRefusal(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.exists() && !file.isWritable())
        return QStringLiteral("o arquivo é somente para leitura");
    if (!folder.isWritable())
        return QStringLiteral("a pasta %1 é somente para leitura").arg(quoted(folder.filePath()));
    return QStringLiteral("o arquivo não pode ser aberto nem criado");
}

void connect(const QString &path, const QString &connection, int busyTimeoutMs)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open())
        throwLibraryError(path, db.lastError());
}

void disconnect(const QString &connection)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

[[noreturn]] void throwLibraryError(const QString &path, const QSqlError &error)
{
    QString cause;
    switch (primaryCode(error)) {
    case Busy:
    case Locked:
        throw LibraryError(QStringLiteral("A biblioteca %1 está em uso por outro programa; tente de novo em instantes.")
                               .arg(quoted(path)));
    case ReadOnly:
    case CantOpen: cause = writeRefusal(path); break;
    case Full: cause = QStringLiteral("o disco está cheio"); break;
    case IoError: cause = QStringLiteral("erro de leitura ou gravação no disco"); break;
    case Corrupt:
    case NotADb: cause = QStringLiteral("o arquivo está danificado"); break;
    default: cause = error.text().trimmed(); break;
    }
    throw LibraryError(QStringLiteral("Não foi possível usar a biblioteca %1: %2.").arg(quoted(path), cause));
}

QSqlQuery runLibrarySql(const QSqlDatabase &db, const QString &path, const QString &sql,
                        std::initializer_list<QVariant> values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throwLibraryError(path, q.lastError());
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throwLibraryError(path, q.lastError());
    return q;
}

QVariant libraryValue(const QSqlDatabase &db, const QString &path, const QString &sql,
                      std::initializer_list<QVariant> values)
{
    QSqlQuery q = runLibrarySql(db, path, sql, values);
    return q.next() ? q.value(0) : QVariant();
}

LibraryTransaction::LibraryTransaction(const QSqlDatabase &db, const QString &path) : db(db), path(path)
{
    QSqlQuery q(this->db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throwLibraryError(path, q.lastError());
    open = true;
}

LibraryTransaction::~LibraryTransaction()
{
    if (open) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("ROLLBACK")))
            qWarning("library rollback: %s", qPrintable(q.lastError().text()));
    }
}

void LibraryTransaction::commit()
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("COMMIT")))
        throwLibraryError(path, q.lastError());
    open = false;
}

QString openLibraryDatabase(const QString &path, const QString &connection, int busyTimeoutMs)
{
    QString notice;
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            throw LibraryError(QStringLiteral("Não foi possível usar a biblioteca %1: a pasta %2 não pode ser criada.")
                                   .arg(quoted(path), quoted(folder)));
        connect(path, connection, busyTimeoutMs);
        bool damaged;
        {
            QSqlDatabase db = QSqlDatabase::database(connection, false);
            damaged = check(db, path) == Check::Damaged;
        }
        if (damaged) {
            disconnect(connection);
            const QString aside = setAside(path);
            notice = QStringLiteral("A biblioteca %1 estava danificada. Ela foi guardada como %2 e uma biblioteca "
                                    "nova foi aberta.")
                         .arg(quoted(path), quoted(aside));
            connect(path, connection, busyTimeoutMs);
        }
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        QSqlQuery q(db);
        // Failing (a read-only file) leaves the library readable; writes then fail with the cause.
        if (!q.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
            qWarning("library journal: %s", qPrintable(q.lastError().text()));
        q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        q.finish();
        migrate(db, path);
    } catch (...) {
        disconnect(connection);
        throw;
    }
    return notice;
}
