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

// What reading the settings may show the operator.
class SettingsUi {
public:
    virtual ~SettingsUi() = default;
    // Message box captioned with the application title, OK button only.
    virtual void plainMessage(const QString &text) = 0;
    // The default error report.
    virtual void errorReport(const QString &text) = 0;
};

// Sets portNumber and userPassword from the store. Shows at most one plain
// message (no key, or no "Porta"). A store that cannot be read counts as no
// key. A value of the wrong type goes to the error report and is then taken as
// missing, without a plain message besides: the report already names the
// value. Writes nothing. Afterwards userPassword is never empty.
void readSettings(SharedState &state, SettingsUi &ui);

// Writes both values, creating the key when missing. Throws AppError with the
// reason when the store cannot be written; the file on disk is then either the
// previous one or, if "Porta" went in and "Password" failed, a whole file with
// the new port.
void writeSettings(const SharedState &state);
