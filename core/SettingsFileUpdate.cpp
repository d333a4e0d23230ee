#include "core/SettingsFileUpdate.h"

#include "core/AppError.h"
#include "core/Registry.h"
#include "core/RegularFile.h"

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
#include <unistd.h>

namespace {

using Contents = QMap<QString, QVariant>;

[[noreturn]] void fail(const QString &reason)
{
    throw AppError(reason);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

// The reason for a failed write into the folder of `path`: the errno the
// failing call left, or else what the folder itself says.
QString reasonFor(int err, const QString &path)
{
    const QString folder = folderOf(path);
    if (err == 0 && ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        err = errno;
    return err ? writeFailureReason(err, folder) : QStringLiteral("não foi possível gravar em %1").arg(folder);
}

QByteArray readAll(const QString &path)
{
    RegularFileRead file = readRegularFile(path, MaxSettingsFileBytes);
    switch (file.outcome) {
    case RegularFileRead::Outcome::Read: return std::move(file.bytes);
    case RegularFileRead::Outcome::SystemError:
        if (file.error == ENOENT)
            return {};
        fail(QStringLiteral("%1 não pode ser lido (erro do sistema %2: %3)")
                 .arg(path, QString::number(file.error), QString::fromLocal8Bit(std::strerror(file.error))));
    case RegularFileRead::Outcome::NotRegular: fail(QStringLiteral("%1 é %2").arg(path, file.kind));
    case RegularFileRead::Outcome::TooLarge:
        fail(QStringLiteral("%1 é maior que o limite de %2").arg(path, byteLimitText(MaxSettingsFileBytes)));
    }
    return {};
}

// A new file of our own beside `path`, holding `bytes`; every write checked.
QString writeScratch(const QString &path, const QByteArray &bytes)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    errno = 0;
    if (!file.open())
        fail(reasonFor(errno, path));
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        const int err = errno;
        file.remove();
        fail(QStringLiteral("%1 não pode ser copiado: %2").arg(path, reasonFor(err, path)));
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
    errno = 0;
    if (!lock.tryLock(10000)) {
        if (lock.error() == QLockFile::LockFailedError)
            fail(QStringLiteral("%1 está em uso por outro programa").arg(path));
        fail(reasonFor(lock.error() == QLockFile::PermissionError ? EACCES : errno, path));
    }

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
            fail(QStringLiteral("%1 não pode ser gravado (disco cheio?)").arg(path));
        expected = contentsOf(writer);
    }
    if (!QFile::rename(draft, checked))
        fail(QStringLiteral("um arquivo temporário ao lado de %1 não pode ser renomeado: %2")
                 .arg(path, reasonFor(errno, path)));
    {
        QSettings reader(checked, QSettings::IniFormat);
        const Contents onDisk = contentsOf(reader);
        if (reader.status() != QSettings::NoError || onDisk != expected)
            fail(QStringLiteral("%1 não pôde ser gravado por inteiro (disco cheio?)").arg(path));
    }
    if (QFileInfo::exists(path))
        QFile::setPermissions(checked, QFile::permissions(path));
    // rename(2) replaces the old file in one step (QFile::rename would refuse).
    if (std::rename(QFile::encodeName(checked).constData(), QFile::encodeName(path).constData()) != 0)
        fail(QStringLiteral("%1 não pode ser substituído: %2").arg(path, reasonFor(errno, path)));
}

QString writeFailureReason(int err, const QString &folder)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("sem permissão de escrita em %1").arg(folder);
    case EEXIST:
    case ENOTDIR: return QStringLiteral("um arquivo ocupa o lugar de uma pasta em %1").arg(folder);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return QStringLiteral("disco cheio em %1").arg(folder);
    default:
        return QStringLiteral("erro do sistema %1 em %2 (%3)")
            .arg(QString::number(err), folder, QString::fromLocal8Bit(std::strerror(err)));
    }
}
