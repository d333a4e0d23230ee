#include "forms/ImageList1.h"

#include <QString>

QIcon imageListIcon(int index)
{
    static const char *const files[imageListCount] = {
        "open",        "axis-raise", "key",   "save",      "exit",  "clock",       "spreadsheet", "unit",
        "sample-rate", "read-tests", "erase", "calibrate", "print", "serial-port", "search",      "disconnect",
    };
    if (index < 0 || index >= imageListCount)
        return {};
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1StringView(files[index])));
}
