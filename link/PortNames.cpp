#include "link/PortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>

namespace {

constexpr int kHighestPort = 96;

// The number of a normalised name "COMn".
int portNumberOf(const QString &portName)
{
    bool ok = false;
    const int n = portName.mid(3).toInt(&ok);
    return ok ? n : 0;
}

} // namespace

QString normalisePortName(const QString &text)
{
    QString rest = text;
    if (rest.left(3).toUpper() == QLatin1String("COM"))
        rest.remove(0, 3);
    bool ok = false;
    int n = rest.toInt(&ok, 10);
    if (!ok || n < 1 || n > kHighestPort)
        n = 1;
    return QStringLiteral("COM%1").arg(n);
}

QStringList presentSerialDevices(const QString &devDir)
{
    QStringList result;
    const QDir dir(devDir);
    const QStringList entries = dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const char *kind : {"ttyUSB", "ttyACM", "ttyS"}) {
        const QRegularExpression pattern(QStringLiteral("^%1(\\d+)$").arg(QLatin1String(kind)));
        QList<std::pair<qulonglong, QString>> found;
        for (const QString &name : entries) {
            const auto match = pattern.match(name);
            if (match.hasMatch())
                found.append({match.captured(1).toULongLong(), name});
        }
        std::sort(found.begin(), found.end());
        for (const auto &f : found)
            result << dir.filePath(f.second);
    }
    return result;
}

QString comDevicePath(const QString &portName, const QString &settingsPath, const QString &devDir)
{
    const QString name = normalisePortName(portName);
    if (QFileInfo::exists(settingsPath)) {
        QSettings settings(settingsPath, QSettings::IniFormat);
        if (settings.childGroups().contains(QLatin1String("Portas")))
            return settings.value(QStringLiteral("Portas/") + name).toString();
    }
    const QStringList devices = presentSerialDevices(devDir);
    const int n = portNumberOf(name);
    return n >= 1 && n <= devices.size() ? devices.at(n - 1) : QString();
}
