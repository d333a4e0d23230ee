#pragma once
// Which typed entry opens which protected menu command. The maintenance
// password opens all four; the user password only "Apagar memória" and
// "Senhas". Entries compare as whole texts, exactly: case, blanks and accents
// count, nothing is trimmed.

#include <QString>

enum class Protected { EraseMemory, ChangePassword, ZeroOffset, Calibrate };

inline const QString maintenancePassword = QStringLiteral("k4lt0x");

// An empty entry (also what Cancel gives) never opens a command, even if the
// user password were empty.
bool passwordAccepted(Protected command, const QString &entry, const QString &userPassword);

// "Senha inválida" for "Senhas", "Ação não permitida" for the others.
QString refusalMessage(Protected command);
