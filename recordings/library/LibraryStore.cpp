#include "recordings/library/LibraryStore.h"

#include "core/NumberText.h"
#include "core/ViewerSink.h"
#include "recordings/library/LibraryChunk.h"
#include "recordings/library/LibraryDatabase.h"
#include "recordings/library/RecordSummary.h"

#include <QAtomicInteger>
#include <QSqlError>

#include <cmath>
#include <unordered_map>

namespace {

const QChar RowSeparator(0x1F);

QString joinRow(const RecordRow &row)
{
    QString joined;
    for (size_t c = 0; c < row.size(); ++c) {
        if (c)
            joined += RowSeparator;
        joined += row[c];
    }
    return joined;
}

std::optional<RecordRow> splitRow(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    const QStringList parts = value.toString().split(RowSeparator);
    RecordRow row;
    for (qsizetype c = 0; c < parts.size() && c < qsizetype(row.size()); ++c)
        row[size_t(c)] = parts[c];
    return row;
}

RecordRow toRow(const RowTexts &texts)
{
    RecordRow row;
    for (size_t c = 0; c < texts.size(); ++c)
        row[c] = texts[c].toString();
    return row;
}

// Lower case without accents, so that "acucar" finds "Açúcar".
QString folded(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toLower();
    return out;
}

QString likePattern(const QString &word)
{
    QString escaped = word;
    escaped.replace(u'\\', QLatin1String("\\\\"))
        .replace(u'%', QLatin1String("\\%"))
        .replace(u'_', QLatin1String("\\_"));
    return u'%' + escaped + u'%';
}

// A text column's value: never NULL (a null QString would bind as NULL).
QVariant text(const QString &t)
{
    return t.isNull() ? QVariant(QStringLiteral("")) : QVariant(t);
}

QVariant optionalValue(const std::optional<qint64> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::LongLong));
}

std::optional<qint64> optionalOf(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
}

const QString TestColumns = QStringLiteral(
    "id, name, sector, company, remarks, origin, port, meter_test, meter_records, moment, file_name, file_hash, "
    "state, record_count, last_row, first_moment, last_moment, interval_s, first_record, last_record, assessment, "
    "trashed_at");

TestInfo readInfo(const QSqlQuery &q)
{
    TestInfo t;
    t.id = q.value(0).toLongLong();
    for (int f = 0; f < 4; ++f)
        t.header[size_t(f)] = q.value(1 + f).toString();
    t.origin.kind = q.value(5).toInt() == 1 ? TestOrigin::Kind::File : TestOrigin::Kind::Meter;
    t.origin.port = q.value(6).toString();
    t.origin.meterTestNumber = q.value(7).toInt();
    t.origin.meterRecordCount = q.value(8).toInt();
    t.origin.moment = QDateTime::fromString(q.value(9).toString(), Qt::ISODate);
    t.origin.fileName = q.value(10).toString();
    t.origin.sha256 = q.value(11).toByteArray();
    t.state = TestState(q.value(12).toInt());
    t.recordCount = q.value(13).toInt();
    t.lastRow = q.value(14).toInt();
    t.firstMoment = optionalOf(q.value(15));
    t.lastMoment = optionalOf(q.value(16));
    if (!q.value(17).isNull())
        t.intervalSeconds = q.value(17).toInt();
    t.firstRecord = splitRow(q.value(18));
    t.lastRecord = splitRow(q.value(19));
    t.assessment = q.value(20).toString();
    if (!q.value(21).isNull())
        t.trashedAt = QDateTime::fromString(q.value(21).toString(), Qt::ISODate);
    return t;
}

// The terms a column sorts by, most significant first.
QStringList orderTerms(LibraryOrder order)
{
    switch (order) {
    case LibraryOrder::Company: return {QStringLiteral("company COLLATE NOCASE")};
    case LibraryOrder::Sector: return {QStringLiteral("sector COLLATE NOCASE")};
    case LibraryOrder::Name: return {QStringLiteral("name COLLATE NOCASE")};
    case LibraryOrder::Start: return {QStringLiteral("first_moment")};
    case LibraryOrder::Duration: return {QStringLiteral("last_moment - first_moment")};
    case LibraryOrder::Interval: return {QStringLiteral("interval_s")};
    case LibraryOrder::Records: return {QStringLiteral("record_count")};
    case LibraryOrder::Origin:
        return {QStringLiteral("COALESCE(file_name, port) COLLATE NOCASE"), QStringLiteral("meter_test")};
    case LibraryOrder::State: return {QStringLiteral("state")};
    }
    return {};
}

QAtomicInteger<quint64> connectionCounter;

} // namespace

struct LibraryStore::Impl {
    QString path;
    QString connection;
    QString notice;
    // The summaries of the tests being appended to, so that an append does
    // not read every record before it.
    std::unordered_map<qint64, RecordSummary> summaries;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
    QSqlQuery run(const QString &sql, std::initializer_list<QVariant> values = {}) const
    {
        return runLibrarySql(db(), path, sql, values);
    }
    QVariant value(const QString &sql, std::initializer_list<QVariant> values = {}) const
    {
        return libraryValue(db(), path, sql, values);
    }
    void refreshSearch(qint64 test) const;
    // The writes below run inside the caller's transaction.
    qint64 insertTest(const TestOrigin &origin, const TestHeader &header) const;
    // The summary after the rows; stored in summaries only once committed.
    RecordSummary appendRows(qint64 test, const std::vector<NumberedRow> &rows) const;
    void setState(qint64 test, TestState state) const;
    RecordSummary summaryFromRecords(qint64 test) const;
    // Calls each(row, texts) for every row kept, in order.
    template <class Each> void forEachRow(qint64 test, Each &&each) const;
};

void LibraryStore::Impl::refreshSearch(qint64 test) const
{
    QSqlQuery q = run(QStringLiteral("SELECT %1 FROM tests WHERE id = ?").arg(TestColumns), {test});
    if (!q.next())
        return;
    const TestInfo t = readInfo(q);
    const QStringList parts{t.header[0], t.header[1],     t.header[2],
                            t.header[3], t.origin.text(), testStateText(t.state)};
    run(QStringLiteral("UPDATE tests SET search = ? WHERE id = ?"), {folded(parts.join(u'\n')), test});
}

template <class Each> void LibraryStore::Impl::forEachRow(qint64 test, Each &&each) const
{
    QSqlQuery q = run(QStringLiteral("SELECT base_row, data FROM chunks WHERE test = ? ORDER BY base_row"), {test});
    while (q.next()) {
        const QByteArray raw = qUncompress(q.value(1).toByteArray());
        decodeChunkRows(raw, q.value(0).toInt(), each);
    }
}

RecordSummary LibraryStore::Impl::summaryFromRecords(qint64 test) const
{
    RecordSummary summary;
    forEachRow(test, [&](int, const RowTexts &texts) { summary.add(toRow(texts)); });
    return summary;
}

LibraryStore::LibraryStore(const QString &path, int busyTimeoutMs) : d(std::make_unique<Impl>())
{
    d->path = path;
    d->connection = QStringLiteral("biblioteca-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    d->notice = openLibraryDatabase(path, d->connection, busyTimeoutMs);
}

LibraryStore::~LibraryStore()
{
    {
        QSqlDatabase db = d->db();
        db.close();
    }
    QSqlDatabase::removeDatabase(d->connection);
}

QString LibraryStore::path() const
{
    return d->path;
}

QString LibraryStore::notice() const
{
    return d->notice;
}

qint64 LibraryStore::Impl::insertTest(const TestOrigin &origin, const TestHeader &header) const
{
    const bool file = origin.kind == TestOrigin::Kind::File;
    QSqlQuery q =
        run(QStringLiteral("INSERT INTO tests(name, sector, company, remarks, origin, port, meter_test, meter_records, "
                           "moment, file_name, file_hash, state) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {text(header[0]), text(header[1]), text(header[2]), text(header[3]), int(origin.kind),
             file ? QVariant() : QVariant(origin.port), file ? QVariant() : QVariant(origin.meterTestNumber),
             file ? QVariant() : QVariant(origin.meterRecordCount), origin.moment.toString(Qt::ISODate),
             file ? QVariant(origin.fileName) : QVariant(), file ? QVariant(origin.sha256) : QVariant(),
             int(TestState::Interrupted)});
    const qint64 id = q.lastInsertId().toLongLong();
    refreshSearch(id);
    return id;
}

RecordSummary LibraryStore::Impl::appendRows(qint64 test, const std::vector<NumberedRow> &rows) const
{
    int lastRow = value(QStringLiteral("SELECT last_row FROM tests WHERE id = ?"), {test}).toInt();
    const auto known = summaries.find(test);
    RecordSummary summary = known != summaries.end() ? known->second : summaryFromRecords(test);
    std::optional<RecordRow> firstKept;
    const RecordRow *lastKept = nullptr;

    // The last chunk, when it has room, takes the first rows.
    qint64 chunkId = 0;
    int chunkBase = lastRow, chunkRows = 0;
    QByteArray raw;
    QSqlQuery last = run(QStringLiteral("SELECT id, base_row, row_count, data FROM chunks WHERE test = ? "
                                        "ORDER BY base_row DESC LIMIT 1"),
                         {test});
    if (last.next() && last.value(2).toInt() < ChunkRows) {
        chunkId = last.value(0).toLongLong();
        chunkBase = last.value(1).toInt();
        chunkRows = last.value(2).toInt();
        raw = qUncompress(last.value(3).toByteArray());
    }
    last.finish();

    auto store = [&] {
        if (chunkRows == 0)
            return;
        const QByteArray data = qCompress(raw);
        if (chunkId)
            run(QStringLiteral("UPDATE chunks SET last_row = ?, row_count = ?, data = ? WHERE id = ?"),
                {lastRow, chunkRows, data, chunkId});
        else
            run(QStringLiteral("INSERT INTO chunks(test, base_row, last_row, row_count, data) VALUES(?, ?, ?, ?, ?)"),
                {test, chunkBase, lastRow, chunkRows, data});
    };
    for (const NumberedRow &row : rows) {
        if (row.row <= lastRow)
            continue; // kept already
        if (chunkRows == ChunkRows) {
            store();
            chunkId = 0;
            chunkBase = lastRow;
            chunkRows = 0;
            raw.clear();
        }
        encodeChunkRow(raw, lastRow, row);
        lastRow = row.row;
        ++chunkRows;
        if (summary.count() == 0 && !firstKept)
            firstKept = row.texts;
        summary.add(row.texts);
        lastKept = &row.texts;
    }
    if (!lastKept)
        return summary; // nothing new
    store();

    const auto interval = summary.interval();
    run(QStringLiteral("UPDATE tests SET record_count = ?, last_row = ?, first_moment = ?, last_moment = ?, "
                       "interval_s = ?, first_record = COALESCE(first_record, ?), last_record = ? WHERE id = ?"),
        {summary.count(), lastRow, optionalValue(summary.first()), optionalValue(summary.last()),
         interval ? QVariant(*interval) : QVariant(QMetaType(QMetaType::Int)),
         firstKept ? QVariant(joinRow(*firstKept)) : QVariant(QMetaType(QMetaType::QString)), joinRow(*lastKept),
         test});
    return summary;
}

void LibraryStore::Impl::setState(qint64 test, TestState state) const
{
    run(QStringLiteral("UPDATE tests SET state = ? WHERE id = ?"), {int(state), test});
    refreshSearch(test);
}

qint64 LibraryStore::createTest(const TestOrigin &origin, const TestHeader &header)
{
    LibraryTransaction transaction(d->db(), d->path);
    const qint64 id = d->insertTest(origin, header);
    transaction.commit();
    d->summaries[id] = RecordSummary();
    return id;
}

qint64 LibraryStore::addTest(const TestOrigin &origin, const TestHeader &header, const std::vector<NumberedRow> &rows,
                             TestState state)
{
    LibraryTransaction transaction(d->db(), d->path);
    const qint64 id = d->insertTest(origin, header);
    d->summaries[id] = RecordSummary();
    try {
        d->appendRows(id, rows);
        d->setState(id, state);
        transaction.commit();
    } catch (...) {
        d->summaries.erase(id);
        throw;
    }
    d->summaries.erase(id);
    return id;
}

void LibraryStore::appendRecords(qint64 test, const std::vector<NumberedRow> &rows)
{
    LibraryTransaction transaction(d->db(), d->path);
    RecordSummary summary = d->appendRows(test, rows);
    transaction.commit();
    d->summaries[test] = std::move(summary);
}

void LibraryStore::finishTest(qint64 test, TestState state)
{
    LibraryTransaction transaction(d->db(), d->path);
    d->setState(test, state);
    transaction.commit();
    d->summaries.erase(test);
}

std::optional<FoundTest> LibraryStore::findMeterTest(int meterTestNumber, int recordCount, const RecordRow &first,
                                                     const RecordRow &last) const
{
    QSqlQuery q = d->run(QStringLiteral("SELECT id, state, trashed_at FROM tests WHERE origin = 0 AND meter_test = ? "
                                        "AND record_count = ? AND first_record = ? AND last_record = ? "
                                        "ORDER BY id DESC LIMIT 1"),
                         {meterTestNumber, recordCount, joinRow(first), joinRow(last)});
    if (!q.next())
        return std::nullopt;
    return FoundTest{q.value(0).toLongLong(), TestState(q.value(1).toInt()), !q.value(2).isNull()};
}

std::optional<qint64> LibraryStore::findFile(const QByteArray &sha256) const
{
    const QVariant id = d->value(QStringLiteral("SELECT id FROM tests WHERE file_hash = ?"), {sha256});
    return id.isValid() ? std::optional<qint64>(id.toLongLong()) : std::nullopt;
}

std::optional<TestInfo> LibraryStore::info(qint64 test) const
{
    QSqlQuery q = d->run(QStringLiteral("SELECT %1 FROM tests WHERE id = ?").arg(TestColumns), {test});
    if (!q.next())
        return std::nullopt;
    return readInfo(q);
}

std::vector<qint64> LibraryStore::completeTests() const
{
    std::vector<qint64> ids;
    QSqlQuery q = d->run(QStringLiteral("SELECT id FROM tests WHERE state = 0 AND trashed_at IS NULL ORDER BY id"));
    while (q.next())
        ids.push_back(q.value(0).toLongLong());
    return ids;
}

namespace {

// The WHERE clause of a list query and its values.
QString whereClause(const LibraryQuery &query, QVariantList &values)
{
    QString where = query.trash ? QStringLiteral("trashed_at IS NOT NULL") : QStringLiteral("trashed_at IS NULL");
    for (const QString &word : folded(query.search).split(u' ', Qt::SkipEmptyParts)) {
        where += QStringLiteral(" AND search LIKE ? ESCAPE '\\'");
        values << likePattern(word);
    }
    return where;
}

} // namespace

std::vector<TestInfo> LibraryStore::tests(const LibraryQuery &query) const
{
    QVariantList values;
    const QString where = whereClause(query, values);
    const QString direction = query.descending ? QStringLiteral(" DESC") : QString();
    QString order;
    for (const QString &term : orderTerms(query.order))
        order += term + direction + QStringLiteral(", ");
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM tests WHERE %2 ORDER BY %3id%4 LIMIT ? OFFSET ?")
                  .arg(TestColumns, where, order, direction));
    for (const QVariant &v : values)
        q.addBindValue(v);
    q.addBindValue(query.limit);
    q.addBindValue(query.offset);
    if (!q.exec())
        throwLibraryError(d->path, q.lastError());
    std::vector<TestInfo> out;
    while (q.next())
        out.push_back(readInfo(q));
    return out;
}

int LibraryStore::testCount(const LibraryQuery &query) const
{
    QVariantList values;
    const QString where = whereClause(query, values);
    QSqlQuery q(d->db());
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM tests WHERE %1").arg(where));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        throwLibraryError(d->path, q.lastError());
    return q.value(0).toInt();
}

bool LibraryStore::loadTest(qint64 test, ViewerSink &viewer) const
{
    const auto t = info(test);
    if (!t)
        return false;
    for (int f = 0; f < 4; ++f)
        viewer.setHeaderField(f + 1, t->header[size_t(f)]);
    int shown = 0;
    d->forEachRow(test, [&](int row, const RowTexts &texts) {
        // Rows never written in between are written empty, so the table
        // grows (one row per write) to the rows it had.
        while (++shown < row)
            viewer.setViewerCell(shown, 0, QLatin1StringView());
        for (int c = 0; c < ViewerTable::ColumnCount; ++c)
            viewer.setViewerCell(row, c, texts[size_t(c)]);
        for (int c = 2; c <= 4; ++c) {
            const QUtf8StringView text = texts[size_t(c)];
            if (text.isEmpty())
                continue;
            if (const auto v = textToNumber(QByteArrayView(text.data(), text.size())); v && std::isfinite(double(*v)))
                viewer.addChartPoint(c - 2, double(row), double(*v));
        }
    });
    QString caption = QStringLiteral(" - %1 Registros").arg(t->lastRow);
    if (t->state != TestState::Complete)
        caption += QStringLiteral(" (%1)").arg(testStateText(t->state));
    viewer.appendViewerCaption(caption);
    viewer.setViewerRecordCount(t->lastRow);
    return true;
}

std::optional<RecordRow> LibraryStore::recordRow(qint64 test, int row) const
{
    QSqlQuery q =
        d->run(QStringLiteral("SELECT base_row, data FROM chunks WHERE test = ? AND base_row < ? AND last_row >= ?"),
               {test, row, row});
    std::optional<RecordRow> found;
    if (q.next())
        decodeChunkRows(qUncompress(q.value(1).toByteArray()), q.value(0).toInt(), [&](int r, const RowTexts &texts) {
            if (r == row)
                found = toRow(texts);
        });
    return found;
}

quint64 LibraryStore::version() const
{
    QSqlQuery q = d->run(QStringLiteral("SELECT data_version, total_changes() FROM pragma_data_version"));
    return q.next() ? (q.value(0).toULongLong() << 32) ^ q.value(1).toULongLong() : 0;
}

void LibraryStore::saveHeader(qint64 test, const TestHeader &header)
{
    LibraryTransaction transaction(d->db(), d->path);
    d->run(QStringLiteral("UPDATE tests SET name = ?, sector = ?, company = ?, remarks = ? WHERE id = ?"),
           {text(header[0]), text(header[1]), text(header[2]), text(header[3]), test});
    d->refreshSearch(test);
    transaction.commit();
}

void LibraryStore::saveAssessment(qint64 test, const QString &choices)
{
    LibraryTransaction transaction(d->db(), d->path);
    d->run(QStringLiteral("UPDATE tests SET assessment = ? WHERE id = ?"), {text(choices), test});
    transaction.commit();
}

void LibraryStore::trash(const std::vector<qint64> &tests)
{
    LibraryTransaction transaction(d->db(), d->path);
    const QString now = QDateTime::currentDateTime().toString(Qt::ISODate);
    for (qint64 test : tests)
        d->run(QStringLiteral("UPDATE tests SET trashed_at = ? WHERE id = ? AND trashed_at IS NULL"), {now, test});
    transaction.commit();
}

void LibraryStore::restore(const std::vector<qint64> &tests)
{
    LibraryTransaction transaction(d->db(), d->path);
    for (qint64 test : tests)
        d->run(QStringLiteral("UPDATE tests SET trashed_at = NULL WHERE id = ?"), {test});
    transaction.commit();
}

int LibraryStore::emptyTrash()
{
    LibraryTransaction transaction(d->db(), d->path);
    QSqlQuery q = d->run(QStringLiteral("DELETE FROM tests WHERE trashed_at IS NOT NULL"));
    const int removed = q.numRowsAffected();
    transaction.commit();
    return removed;
}
