#include "core/Registry.h"

#include "core/AppError.h"
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

// Why the file cannot serve as the key, or the empty text when it can. QSettings
// alone is too lenient here: it drops bytes that are not UTF-8 without a word
// (a password typed in Latin-1 would come back shortened) and reports a line
// without "=" only once every group has been parsed.
QString unreadableReason(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The settings file %1 cannot be read: %2").arg(path, file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("The settings file %1 cannot be read: %2").arg(path, file.errorString());
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(data));
    if (utf8.hasError())
        return QStringLiteral("The settings file %1 is not UTF-8 text").arg(path);
    QSettings probe(path, QSettings::IniFormat);
    probe.allKeys(); // parses every group, which is when bad lines are noticed
    if (probe.status() != QSettings::NoError)
        return QStringLiteral("The settings file %1 is not a valid INI file").arg(path);
    return {};
}

QString writeFailureReason(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable())
        return QStringLiteral("the folder %1 is not writable").arg(folder.absoluteFilePath());
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file %1 is read-only").arg(path);
    return QStringLiteral("%1 could not be written completely (disk full?); the previous file is unchanged")
        .arg(path);
}

} // namespace

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

bool TRegistry::KeyExists(const QString &key) const
{
    const QString path = fileOfKey(key);
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    CloseKey();
    const QString path = fileOfKey(key);
    if (path.isEmpty())
        return fail(QStringLiteral("The key %1 is not kept by this program").arg(key));

    if (!QFileInfo::exists(path)) {
        if (!canCreate)
            return fail(QStringLiteral("The key %1 does not exist").arg(key));
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("The settings folder %1 cannot be created").arg(folder));
        QFile created(path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("The settings file %1 cannot be created: %2")
                            .arg(path, created.errorString()));
    }

    const QString reason = unreadableReason(path);
    if (!reason.isEmpty())
        return fail(canCreate ? reason + QStringLiteral("; it was left as it is") : reason);

    settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    settings->setAtomicSyncRequired(true); // never fall back to writing in place
    lastError.clear();
    return true;
}

void TRegistry::CloseKey()
{
    settings.reset();
}

bool TRegistry::fail(const QString &reason)
{
    lastError = reason;
    return false;
}

bool TRegistry::ValueExists(const QString &name) const
{
    return settings && settings->contains(name);
}

QVariant TRegistry::value(const QString &name) const
{
    if (!settings)
        throw AppError(QStringLiteral("Failed to get data for '%1': no key is open").arg(name));
    return settings->value(name);
}

int32_t TRegistry::ReadInteger(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        throw AppError(QStringLiteral("Failed to get data for '%1'").arg(name));
    bool ok = false;
    int32_t result = 0;
    // A value written in this run is still held as a number; one read from the
    // file is its text.
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
    if (!settings)
        throw AppError(QStringLiteral("Failed to set data for '%1': no key is open").arg(name));
    settings->setValue(name, value);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw AppError(QStringLiteral("Failed to set data for '%1': %2")
                           .arg(name, writeFailureReason(settings->fileName())));
}
