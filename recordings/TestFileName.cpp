#include "recordings/TestFileName.h"

#include "recordings/ViewerTable.h"

namespace {

constexpr int dateColumn = 7;

QString fileNameSafe(const QString &text)
{
    QString safe = text.trimmed();
    for (QChar &c : safe)
        if (c.unicode() < u' ' || QStringView(u"/\\:*?\"<>|").contains(c))
            c = QLatin1Char('-');
    return safe;
}

QString firstRecordDate(const ViewerTable &table)
{
    for (int r = 1; r < table.rowCount(); ++r)
        if (const ViewerTable::Row *cells = table.row(r); cells && !cells->isBlank())
            return (*cells)[dateColumn].trimmed();
    return {};
}

} // namespace

QString proposedTestFileName(const QString &name, const ViewerTable &table)
{
    QString stem = fileNameSafe(name);
    if (stem.isEmpty())
        stem = QStringLiteral("Teste");
    const QString date = fileNameSafe(firstRecordDate(table));
    if (!date.isEmpty())
        stem += QLatin1Char(' ') + date;
    return stem + QStringLiteral(".tvq");
}
