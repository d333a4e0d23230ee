#pragma once
// The SQL side of the library's file: opening with the checks LibraryStore.h
// describes (newer schema refused, damaged file set aside, migrations), the
// Portuguese text of a failure, and one write transaction.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>

class QSqlError;

// Opens path under connection (added here; the caller removes it). Returns
// the notice for the operator (a damaged file set aside) or the empty text.
// Throws LibraryError; the connection is then removed.
QString openLibraryDatabase(const QString &path, const QString &connection, int busyTimeoutMs);

// Throws LibraryError naming the file and the cause: busy, read-only, full
// disk, damaged, or the driver's own text.
[[noreturn]] void throwLibraryError(const QString &path, const QSqlError &error);

// A prepared statement run with values bound in order; throws on failure.
QSqlQuery runLibrarySql(const QSqlDatabase &db, const QString &path, const QString &sql,
                        std::initializer_list<QVariant> values = {});

// The first column of the first row; an invalid value when no row.
QVariant libraryValue(const QSqlDatabase &db, const QString &path, const QString &sql,
                      std::initializer_list<QVariant> values = {});

// "BEGIN IMMEDIATE" (the write lock taken at once, waited for under the busy
// timeout, so two writers never deadlock half-way); rolled back unless commit().
class LibraryTransaction {
public:
    LibraryTransaction(const QSqlDatabase &db, const QString &path);
    ~LibraryTransaction();
    void commit();

private:
    QSqlDatabase db;
    QString path;
    bool open = false;
};
