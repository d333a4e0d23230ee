#include "link/ReplyLengths.h"

#include <algorithm>

int ReplyLengths::written(QByteArrayView request)
{
    if (!this->request.isEmpty() && counted > 0)
        lengths.insert(this->request, counted);
    this->request = request.first(std::min<qsizetype>(2, request.size())).toByteArray();
    counted = 0;
    const qsizetype last = lengths.value(this->request, 0);
    return int(std::max<qsizetype>(0, last - std::max<qsizetype>(2, last / 8)));
}
