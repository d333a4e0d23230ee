#pragma once
// The two settings kept between runs, the serial port number ("Porta") and
// the user password ("Password"): read once while the main window is created,
// written once when it closes.

#include "core/SharedState.h"

#include <QString>

inline const QString settingsKey = QStringLiteral("Tavenor\\Quorvin");
inline const QString defaultUserPassword = QStringLiteral("pelko");
inline const QString noKeyMessage = QStringLiteral("Não existe a chave no registro");
inline const QString noPortMessage = QStringLiteral("Não existe porta serial configurada");

// "TempoResposta": how long, in milliseconds, a request may wait for its
// complete reply before the link gives it up (SharedState::replyTimeoutMs).
// Not written by the program; the operator may add it to the settings file.
// Missing, not a whole number or outside 100..600000, the default holds.
inline const QString replyTimeoutName = QStringLiteral("TempoResposta");
constexpr int32_t defaultReplyTimeoutMs = 3000;
constexpr int32_t shortestReplyTimeoutMs = 100;
constexpr int32_t longestReplyTimeoutMs = 600000;

// What reading the settings may show the operator.
class SettingsUi {
public:
    virtual ~SettingsUi() = default;
    // Message box captioned with the application title, OK button only.
    virtual void plainMessage(const QString &text) = 0;
    // The default error report.
    virtual void errorReport(const QString &text) = 0;
};

// Sets portNumber, userPassword and replyTimeoutMs from the store. Shows at most one plain
// message (no key, or no "Porta"). A store that cannot be read counts as no
// key. A value of the wrong type goes to the error report and is then taken as
// missing, without a plain message besides: the report already names the
// value. Writes nothing. Afterwards userPassword is never empty.
void readSettings(SharedState &state, SettingsUi &ui);

// Writes both values, creating the key when missing. A settings file that
// cannot be read (random bytes, not UTF-8, not INI) is renamed beside itself
// to "Quorvin.conf.ilegivel-<yyyyMMdd-HHmmss>" and a fresh one written; the
// returned notice (Portuguese) then says where the old one went, otherwise it
// is empty. A file whose owner may not write it is left alone. Throws AppError
// with the reason in Portuguese when the store cannot be written; the file on
// disk is then either the previous one or, if "Porta" went in and "Password"
// failed, a whole file with the new port.
QString writeSettings(const SharedState &state);
