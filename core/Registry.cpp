#include "core/Registry.h"

#include "core/AppError.h"
#include "core/SettingsFileUpdate.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

namespace {

const QString kKeyPath = QStringLiteral("Tavenor\\Quorvin");

// The file that holds a key, or the empty text for a key this store does not
// keep. Key paths compare like registry paths: without case, outer
// backslashes ignored.
QString fileOfKey(const QString &key)
{
    QString path = key;
    while (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    if (path.compare(kKeyPath, Qt::CaseInsensitive) != 0)
        return {};
    return settingsFilePath();
}

// Reads the top-level values of the file; false with the reason when the file
// cannot serve as the key. QSettings alone is too lenient here: it drops bytes
// that are not UTF-8 without a word (a password typed in Latin-1 would come
// back shortened) and reports a line without "=" only once every group has
// been parsed.
bool readTopLevel(const QString &path, QMap<QString, QVariant> &values, QString &reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("The settings file %1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = QStringLiteral("The settings file %1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(data));
    if (utf8.hasError()) {
        reason = QStringLiteral("The settings file %1 is not UTF-8 text").arg(path);
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.allKeys(); // parses every group, which is when bad lines are noticed
    if (settings.status() != QSettings::NoError) {
        reason = QStringLiteral("The settings file %1 is not a valid INI file").arg(path);
        return false;
    }
    values.clear();
    for (const QString &key : settings.childKeys())
        values.insert(key, settings.value(key));
    return true;
}

} // namespace

bool TRegistry::KeyExists(const QString &key) const
{
    const QString file = fileOfKey(key);
    return !file.isEmpty() && QFileInfo::exists(file);
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    CloseKey();
    const QString file = fileOfKey(key);
    if (file.isEmpty())
        return fail(QStringLiteral("The key %1 is not kept by this program").arg(key));

    if (!QFileInfo::exists(file)) {
        if (!canCreate)
            return fail(QStringLiteral("The key %1 does not exist").arg(key));
        const QString folder = QFileInfo(file).absolutePath();
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("The settings folder %1 cannot be created").arg(folder));
        QFile created(file);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("The settings file %1 cannot be created: %2")
                            .arg(file, created.errorString()));
    }

    QString reason;
    if (!readTopLevel(file, values, reason))
        return fail(canCreate ? reason + QStringLiteral("; it was left as it is") : reason);
    path = file;
    open = true;
    lastError.clear();
    return true;
}

void TRegistry::CloseKey()
{
    open = false;
    path.clear();
    values.clear();
}

bool TRegistry::fail(const QString &reason)
{
    lastError = reason;
    return false;
}

bool TRegistry::ValueExists(const QString &name) const
{
    return open && values.contains(name);
}

QVariant TRegistry::value(const QString &name) const
{
    if (!open)
        throw AppError(QStringLiteral("Failed to get data for '%1': no key is open").arg(name));
    return values.value(name);
}

int32_t TRegistry::ReadInteger(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        throw AppError(QStringLiteral("Failed to get data for '%1'").arg(name));
    bool ok = false;
    int32_t result = 0;
    // A value written through this object is held as a number; one read from
    // the file is its text.
    if (v.typeId() == QMetaType::Int)
        result = v.toInt(&ok);
    else if (v.typeId() == QMetaType::QString)
        result = v.toString().toInt(&ok, 10);
    if (!ok)
        throw AppError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return result;
}

QString TRegistry::ReadString(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        return {};
    if (v.typeId() != QMetaType::QString)
        throw AppError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return v.toString();
}

void TRegistry::WriteInteger(const QString &name, int32_t value)
{
    write(name, QVariant(int(value)));
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    write(name, QVariant(value));
}

void TRegistry::write(const QString &name, const QVariant &value)
{
    if (!open)
        throw AppError(QStringLiteral("Failed to set data for '%1': no key is open").arg(name));
    try {
        updateSettingsFile(path, name, value);
    } catch (const AppError &e) {
        throw AppError(QStringLiteral("Failed to set data for '%1': %2; the settings file was left as it was")
                           .arg(name, e.message()));
    }
    values.insert(name, value);
}
