#include "core/Settings.h"

#include "core/AppError.h"
#include "core/Registry.h"
#include "core/SettingsFileUpdate.h"
#include "core/SettingsLocation.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace {

const QString kPorta = QStringLiteral("Porta");
const QString kPassword = QStringLiteral("Password");

void readPort(const TRegistry &reg, SharedState &state, SettingsUi &ui)
{
    state.portNumber = 0;
    if (!reg.ValueExists(kPorta)) {
        ui.plainMessage(noPortMessage);
        return;
    }
    try {
        state.portNumber = reg.ReadInteger(kPorta);
    } catch (const AppError &e) {
        ui.errorReport(e.message());
    }
}

void readPassword(const TRegistry &reg, SharedState &state, SettingsUi &ui)
{
    state.userPassword = defaultUserPassword;
    if (reg.ValueExists(kPassword)) {
        try {
            state.userPassword = reg.ReadString(kPassword);
        } catch (const AppError &e) {
            ui.errorReport(e.message());
        }
    }
    if (state.userPassword.isEmpty())
        state.userPassword = defaultUserPassword;
}

// Renames an unreadable settings file to "<name>.ilegivel-<date>-<time>"
// beside itself (a number added if that name is taken) and returns the new
// path. Nothing is deleted: the operator may still want what it held.
QString moveAsideUnreadable(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".ilegivel-") + stamp;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = path + QStringLiteral(".ilegivel-%1-%2").arg(stamp).arg(n);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        throw AppError(QStringLiteral("O arquivo de configuração %1 está ilegível e não pode ser posto de lado: %2")
                           .arg(path, writeFailureReason(errno, QFileInfo(path).absolutePath())));
    return target;
}

// Expected bad input: a value the operator typed wrong keeps the default
// silently (noted in the log), the link must work all the same.
void readReplyTimeout(const TRegistry &reg, SharedState &state)
{
    state.replyTimeoutMs = defaultReplyTimeoutMs;
    if (!reg.ValueExists(replyTimeoutName))
        return;
    try {
        const int32_t ms = reg.ReadInteger(replyTimeoutName);
        if (ms >= shortestReplyTimeoutMs && ms <= longestReplyTimeoutMs)
            state.replyTimeoutMs = ms;
        else
            qWarning("TempoResposta %d outside %d..%d ms: %d ms used", ms, shortestReplyTimeoutMs,
                     longestReplyTimeoutMs, defaultReplyTimeoutMs);
    } catch (const AppError &e) {
        qWarning("TempoResposta: %s; %d ms used", qPrintable(e.message()), defaultReplyTimeoutMs);
    }
}

} // namespace

void readSettings(SharedState &state, SettingsUi &ui)
{
    TRegistry reg;
    if (!reg.KeyExists(settingsKey) || !reg.OpenKey(settingsKey, false)) {
        state.portNumber = 0;
        state.userPassword = defaultUserPassword;
        state.replyTimeoutMs = defaultReplyTimeoutMs;
        ui.plainMessage(noKeyMessage);
        return;
    }
    readPort(reg, state, ui);
    readPassword(reg, state, ui);
    readReplyTimeout(reg, state);
}

QString writeSettings(const SharedState &state)
{
    const QString path = settingsFilePath();
    const QFileInfo file(path);
    // The owner's write bit, not access(2): a file made read-only on purpose
    // stays as it is even for root and even in a writable folder.
    if (file.isFile() && !(file.permissions() & QFileDevice::WriteOwner))
        throw AppError(QStringLiteral("O arquivo de configuração %1 é somente leitura e não foi substituído: "
                                      "a porta e a senha desta sessão não foram gravadas.")
                           .arg(path));

    TRegistry reg;
    QString notice;
    if (!reg.OpenKey(settingsKey, true)) {
        if (!reg.KeyUnreadable())
            throw AppError(reg.LastError());
        const QString kept = moveAsideUnreadable(path);
        if (!reg.OpenKey(settingsKey, true))
            throw AppError(reg.LastError());
        notice = QStringLiteral("O arquivo de configuração %1 estava ilegível. Ele foi guardado como %2 "
                                "e um arquivo novo foi criado.")
                     .arg(path, kept);
    }
    reg.WriteInteger(kPorta, state.portNumber);
    reg.WriteString(kPassword, state.userPassword);
    return notice;
}
