#pragma once
// The tests of the library as a table for the "Biblioteca" window: one row
// per test, columns "Empresa", "Setor", "Nome", "Início", "Duração",
// "Intervalo", "Registros", "Origem", "Estado", in Portuguese (dates
// dd/mm/aaaa, decimal comma).
//
// Rows are read PageSize at a time, as the view scrolls (canFetchMore /
// fetchMore), so a library of thousands of tests opens at once. The search
// text keeps the tests having every word of it in a text column (header
// fields, origin, state; without case or accents); sorting is the library's
// (SQL ORDER BY), by any column. The trash view lists the tests in the
// "Lixeira" instead.
//
// A library failure while reading (the library busy) keeps the rows shown
// and is reported through failed().

#include "recordings/library/LibraryStore.h"

#include <QAbstractTableModel>

#include <vector>

class LibraryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 100;
    enum Column { Company, Sector, Name, Start, Duration, Interval, Records, Origin, State, ColumnCount };
    // The test's id under this role, for every column.
    static constexpr int TestIdRole = Qt::UserRole;

    explicit LibraryModel(LibraryStore &store, QObject *parent = nullptr);

    void setSearch(const QString &text);
    void setTrashView(bool trash);
    bool trashView() const { return query.trash; }
    // Reads the first page again (after the library changed).
    void reload();
    // Every test matching the search (not only the rows read so far).
    int matchingTests() const { return total; }
    qint64 testAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    static QString durationText(qint64 seconds);

signals:
    void failed(const QString &message);

private:
    QString text(const TestInfo &test, int column) const;

    LibraryStore &store;
    LibraryQuery query;
    std::vector<TestInfo> rows;
    int total = 0;
};
