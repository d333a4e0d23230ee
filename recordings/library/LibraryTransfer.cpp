#include "recordings/library/LibraryTransfer.h"

#include "core/SharedState.h"
#include "recordings/TestFile.h"
#include "recordings/TestFileName.h"
#include "recordings/ViewerTableSink.h"
#include "recordings/library/LibraryStore.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace {

ImportedTest import(LibraryStore &store, const QString &fileName, const QByteArray &bytes,
                    const std::function<std::pair<TestHeader, const ViewerTable *>()> &read)
{
    const TestOrigin origin = TestOrigin::file(QFileInfo(fileName).fileName(), bytes);
    if (const auto kept = store.findFile(origin.sha256))
        return {*kept, false};
    const auto [header, table] = read();
    std::vector<NumberedRow> rows;
    for (int r = 1; r < table->rowCount(); ++r) {
        if (const ViewerTable::Row *row = table->row(r)) {
            NumberedRow &kept = rows.emplace_back();
            kept.row = r;
            for (size_t c = 0; c < kept.texts.size(); ++c)
                kept.texts[c] = (*row)[c];
        }
    }
    return {store.addTest(origin, header, rows, TestState::Complete), true};
}

} // namespace

ImportedTest importTestBytes(LibraryStore &store, const QString &fileName, const QByteArray &bytes)
{
    ViewerTableSink viewer;
    return import(store, fileName, bytes, [&] {
        SharedState state;
        readTestFile(bytes, viewer, state);
        return std::pair<TestHeader, const ViewerTable *>(viewer.header, &viewer.table);
    });
}

ImportedTest importReadTest(LibraryStore &store, const QString &fileName, const QByteArray &bytes,
                            const TestHeader &header, const ViewerTable &table)
{
    return import(store, fileName, bytes, [&] { return std::pair<TestHeader, const ViewerTable *>(header, &table); });
}

QString ImportSummary::text() const
{
    QStringList lines;
    lines << QStringLiteral("%1 %2").arg(added).arg(added == 1 ? QStringLiteral("teste importado")
                                                               : QStringLiteral("testes importados"));
    if (present)
        lines.back() += QStringLiteral(", %1 já %2 na biblioteca")
                            .arg(present)
                            .arg(present == 1 ? QStringLiteral("estava") : QStringLiteral("estavam"));
    lines.back() += u'.';
    return (lines + failures).join(u'\n');
}

ImportSummary importTestFiles(LibraryStore &store, const QStringList &paths)
{
    ImportSummary summary;
    for (const QString &path : paths) {
        try {
            const auto bytes = readTestFileBytes(path);
            if (!bytes) {
                summary.failures << QStringLiteral("O arquivo \"%1\" não existe.").arg(QDir::toNativeSeparators(path));
                continue;
            }
            (importTestBytes(store, path, *bytes).added ? summary.added : summary.present) += 1;
        } catch (const AppError &e) {
            summary.failures << e.message();
        }
    }
    return summary;
}

QStringList exportTests(const LibraryStore &store, const std::vector<qint64> &tests, const QString &folder)
{
    QStringList written;
    for (qint64 test : tests) {
        ViewerTableSink viewer;
        if (!store.loadTest(test, viewer))
            continue;
        const QString proposed = proposedTestFileName(viewer.header[0], viewer.table);
        const QString stem = proposed.chopped(4); // ".tvq"
        QString path = QDir(folder).filePath(proposed);
        for (int n = 2; QFileInfo::exists(path); ++n)
            path = QDir(folder).filePath(QStringLiteral("%1 (%2).tvq").arg(stem).arg(n));
        saveTestFile(path, viewer.header, viewer.table);
        written << path;
    }
    return written;
}
