#include "recordings/library/LibraryModel.h"

#include "recordings/library/RecordSummary.h"

static_assert(int(LibraryOrder::State) == LibraryModel::State, "the columns are the orders");

LibraryModel::LibraryModel(LibraryStore &store, QObject *parent) : QAbstractTableModel(parent), store(store)
{
    query.limit = PageSize;
    reload();
}

void LibraryModel::setSearch(const QString &text)
{
    query.search = text;
    reload();
}

void LibraryModel::setTrashView(bool trash)
{
    query.trash = trash;
    reload();
}

void LibraryModel::reload()
{
    beginResetModel();
    rows.clear();
    total = 0;
    try {
        query.offset = 0;
        total = store.testCount(query);
        rows = store.tests(query);
    } catch (const std::exception &e) {
        emit failed(QString::fromUtf8(e.what()));
    }
    endResetModel();
}

qint64 LibraryModel::testAt(int row) const
{
    return row >= 0 && row < int(rows.size()) ? rows[size_t(row)].id : 0;
}

int LibraryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int LibraryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString LibraryModel::durationText(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    const qint64 minutes = seconds / 60;
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString LibraryModel::text(const TestInfo &t, int column) const
{
    switch (column) {
    case Company: return t.header[2];
    case Sector: return t.header[1];
    case Name: return t.header[0];
    case Start: return t.firstMoment ? momentText(*t.firstMoment) : QString();
    case Duration: return t.firstMoment && t.lastMoment ? durationText(*t.lastMoment - *t.firstMoment) : QString();
    case Interval: return t.intervalSeconds ? durationText(*t.intervalSeconds) : QString();
    case Records: return QString::number(t.recordCount);
    case Origin: return t.origin.text();
    case State: {
        const QString state = testStateText(t.state);
        return state.left(1).toUpper() + state.mid(1);
    }
    }
    return {};
}

QVariant LibraryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows.size()))
        return {};
    const TestInfo &t = rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return text(t, index.column());
    case TestIdRole: return t.id;
    case Qt::TextAlignmentRole:
        if (index.column() >= Duration && index.column() <= Records)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default: return {};
    }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const titles[ColumnCount] = {"Empresa",   "Setor",     "Nome",   "Início", "Duração",
                                                    "Intervalo", "Registros", "Origem", "Estado"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(titles[section]);
}

bool LibraryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && int(rows.size()) < total;
}

void LibraryModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    std::vector<TestInfo> more;
    try {
        query.offset = int(rows.size());
        more = store.tests(query);
    } catch (const std::exception &e) {
        emit failed(QString::fromUtf8(e.what()));
        return;
    }
    if (more.empty()) {
        total = int(rows.size()); // the library changed under us
        return;
    }
    beginInsertRows({}, int(rows.size()), int(rows.size() + more.size()) - 1);
    std::move(more.begin(), more.end(), std::back_inserter(rows));
    endInsertRows();
}

void LibraryModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    query.order = LibraryOrder(column);
    query.descending = order == Qt::DescendingOrder;
    reload();
}
