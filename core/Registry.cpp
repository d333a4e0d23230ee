#include "core/Registry.h"

#include "core/AppError.h"
#include "core/RegularFile.h"
#include "core/SettingsFileUpdate.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>

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
enum class ReadResult { Read, Unreadable, Failed };

ReadResult readTopLevel(const QString &path, QMap<QString, QVariant> &values, QString &reason)
{
    const RegularFileRead file = readRegularFile(path, MaxSettingsFileBytes);
    switch (file.outcome) {
    case RegularFileRead::Outcome::Read: break;
    case RegularFileRead::Outcome::SystemError:
        reason = file.error == EISDIR
                     ? QStringLiteral("No lugar do arquivo de configuração %1 há uma pasta").arg(path)
                     : QStringLiteral("O arquivo de configuração %1 não pode ser lido (erro do sistema %2)")
                           .arg(path)
                           .arg(file.error);
        return ReadResult::Unreadable;
    case RegularFileRead::Outcome::NotRegular:
        reason = QStringLiteral("No lugar do arquivo de configuração %1 há %2").arg(path, file.kind);
        return ReadResult::Unreadable;
    case RegularFileRead::Outcome::TooLarge:
        reason = QStringLiteral("O arquivo de configuração %1 é maior que o limite de %2")
                     .arg(path, byteLimitText(MaxSettingsFileBytes));
        return ReadResult::Unreadable;
    }
    const QByteArray &data = file.bytes;
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(data));
    if (utf8.hasError()) {
        reason = QStringLiteral("O arquivo de configuração %1 não é texto UTF-8").arg(path);
        return ReadResult::Unreadable;
    }
    // The bytes just read, parsed from a file of their own: QSettings keeps
    // what it parsed of a path for the rest of the process and reports a bad
    // line only the first time, so a second look at the real path (the close
    // after the start) would take a broken file for a good one.
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/vestara-settings-XXXXXX.conf"));
    if (!copy.open() || copy.write(data) != data.size() || !copy.flush()) {
        reason = QStringLiteral("O arquivo de configuração %1 não pode ser examinado: sem espaço em %2")
                     .arg(path, QDir::tempPath());
        return ReadResult::Failed;
    }
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    settings.allKeys(); // parses every group, which is when bad lines are noticed
    if (settings.status() != QSettings::NoError) {
        reason = QStringLiteral("O arquivo de configuração %1 não é um arquivo INI válido").arg(path);
        return ReadResult::Unreadable;
    }
    values.clear();
    for (const QString &key : settings.childKeys())
        values.insert(key, settings.value(key));
    return ReadResult::Read;
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
        return fail(QStringLiteral("A chave %1 não é mantida por este programa").arg(key));

    if (!QFileInfo::exists(file)) {
        if (!canCreate)
            return fail(QStringLiteral("A chave %1 não existe").arg(key));
        const QString folder = QFileInfo(file).absolutePath();
        errno = 0;
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("A pasta de configuração %1 não pode ser criada: %2")
                            .arg(folder, writeFailureReason(errno ? errno : EACCES, QFileInfo(folder).absolutePath())));
        QFile created(file);
        errno = 0;
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return fail(QStringLiteral("O arquivo de configuração %1 não pode ser criado: %2")
                            .arg(file, writeFailureReason(errno ? errno : EACCES, folder)));
    }

    QString reason;
    const ReadResult read = readTopLevel(file, values, reason);
    if (read != ReadResult::Read) {
        unreadable = read == ReadResult::Unreadable && QFileInfo(file).isFile();
        return fail(canCreate ? reason + QStringLiteral("; ficou como estava") : reason);
    }
    path = file;
    open = true;
    lastError.clear();
    return true;
}

void TRegistry::CloseKey()
{
    open = false;
    unreadable = false;
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
        throw AppError(QStringLiteral("Não foi possível gravar '%1': nenhuma chave está aberta").arg(name));
    try {
        updateSettingsFile(path, name, value);
    } catch (const AppError &e) {
        throw AppError(QStringLiteral("Não foi possível gravar '%1': %2; o arquivo de configuração ficou como estava")
                           .arg(name, e.message()));
    }
    values.insert(name, value);
}
