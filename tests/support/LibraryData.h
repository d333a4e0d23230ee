#pragma once
// Record rows as a download writes them, for the library's tests and
// benchmark: record n of a test sampled every `interval` seconds from
// 01/02/2024 08:00:00.

#include "recordings/library/LibraryTypes.h"

#include <QFile>
#include <QTime>

#include <vector>

inline RecordRow libraryRecord(int n, int interval = 60)
{
    const int s = 8 * 3600 + (n - 1) * interval;
    const QString time = QTime(0, 0).addSecs(s % 86400).toString(QStringLiteral("hh:mm:ss"));
    const QString date = QStringLiteral("%1/02/24").arg(1 + s / 86400, 2, 10, QLatin1Char('0'));
    const QString t = QStringLiteral("%1,%2").arg(20 + n % 9).arg(n % 10);
    return {QString::number(n),     time, t, QStringLiteral("31,4"), QStringLiteral("35,0"), QStringLiteral("24,7"),
            QStringLiteral("25,2"), date};
}

inline std::vector<NumberedRow> libraryRecords(int first, int last, int interval = 60)
{
    std::vector<NumberedRow> rows;
    for (int n = first; n <= last; ++n)
        rows.push_back({n, libraryRecord(n, interval)});
    return rows;
}

// Writes bytes to a new file at path; returns path.
inline QString writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}
