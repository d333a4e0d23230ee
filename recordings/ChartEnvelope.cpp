#include "recordings/ChartEnvelope.h"

#include <algorithm>
#include <array>

QList<QPointF> chartEnvelope(const QList<QPointF> &points, int runs)
{
    const qsizetype n = points.size();
    if (runs < 1 || n <= qsizetype(runs) * 4)
        return points;
    QList<QPointF> out;
    out.reserve(qsizetype(runs) * 4);
    for (int r = 0; r < runs; ++r) {
        const qsizetype first = n * r / runs;
        const qsizetype last = n * (r + 1) / runs - 1;
        qsizetype low = first, high = first;
        for (qsizetype i = first + 1; i <= last; ++i) {
            if (points[i].y() < points[low].y())
                low = i;
            if (points[i].y() > points[high].y())
                high = i;
        }
        std::array<qsizetype, 4> kept{first, low, high, last};
        std::sort(kept.begin(), kept.end());
        for (size_t k = 0; k < kept.size(); ++k)
            if (k == 0 || kept[k] != kept[k - 1])
                out.append(points[kept[k]]);
    }
    return out;
}
