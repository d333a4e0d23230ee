#include "recordings/ViewerTableSink.h"

void ViewerTableSink::setHeaderField(int field, const QString &text)
{
    if (field >= 1 && field <= int(header.size()))
        header[size_t(field - 1)] = text;
}
