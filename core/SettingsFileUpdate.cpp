#include "core/SettingsFileUpdate.h"

#include "core/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

using Contents = QMap<QString, QVariant>;

[[noreturn]] void fail(const QString &reason)
{
    throw AppError(reason);
}

QByteArray readAll(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    return file.readAll();
}

// A new file of our own beside `path`, holding `bytes`; every write checked.
QString writeScratch(const QString &path, const QByteArray &bytes)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open())
        fail(QStringLiteral("no temporary file can be made beside %1: %2").arg(path, file.errorString()));
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        const QString reason = file.errorString();
        file.remove();
        fail(QStringLiteral("%1 cannot be copied (disk full?): %2").arg(path, reason));
    }
    return file.fileName();
}

// Every value of the file, numbers written in this run compared as the text
// the file holds for them.
Contents contentsOf(const QSettings &settings)
{
    Contents contents;
    for (const QString &key : settings.allKeys()) {
        const QVariant v = settings.value(key);
        contents.insert(key, v.typeId() == QMetaType::Int ? QVariant(QString::number(v.toInt())) : v);
    }
    return contents;
}

} // namespace

void updateSettingsFile(const QString &path, const QString &name, const QVariant &value)
{
    // The same lock QSettings takes, so that two writers never interleave.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(10000))
        fail(QStringLiteral("%1 is locked by another program").arg(path));

    const QString draft = writeScratch(path, readAll(path));
    // A name no QSettings has seen, so that reading it goes to the disk.
    const QString checked = draft + QStringLiteral(".checked");
    auto cleanUp = qScopeGuard([&] {
        QFile::remove(draft);
        QFile::remove(checked);
    });

    Contents expected;
    {
        QSettings writer(draft, QSettings::IniFormat);
        writer.setAtomicSyncRequired(true);
        writer.setValue(name, value);
        writer.sync();
        if (writer.status() != QSettings::NoError)
            fail(QStringLiteral("%1 cannot be written").arg(QFileInfo(path).absolutePath()));
        expected = contentsOf(writer);
    }
    if (!QFile::rename(draft, checked))
        fail(QStringLiteral("a temporary file beside %1 cannot be renamed").arg(path));
    {
        QSettings reader(checked, QSettings::IniFormat);
        const Contents onDisk = contentsOf(reader);
        if (reader.status() != QSettings::NoError || onDisk != expected)
            fail(QStringLiteral("%1 could not be written completely (disk full?)").arg(path));
    }
    if (QFileInfo::exists(path))
        QFile::setPermissions(checked, QFile::permissions(path));
    // rename(2) replaces the old file in one step (QFile::rename would refuse).
    if (std::rename(QFile::encodeName(checked).constData(), QFile::encodeName(path).constData()) != 0)
        fail(QStringLiteral("%1 cannot be replaced: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
}
