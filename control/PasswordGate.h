#pragma once
// The password gate in front of the protected menu commands, and the "Senhas"
// command that changes the user password. Both talk to the operator only
// through PasswordPrompt, so the window side is one small class.

#include "core/PasswordRules.h"
#include "core/SharedState.h"

#include <QString>

inline const QString warningCaption = QStringLiteral("Aviso");

class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    // A modal input box with an empty default, at most 255 characters. masked:
    // every typed character shows as "*". Cancel gives the empty text.
    virtual QString ask(const QString &caption, const QString &prompt, bool masked) = 0;
    // A message box with an OK button only.
    virtual void showMessage(const QString &text, const QString &caption) = 0;
};

// Asks for the password (caption "Senha", prompt "Digite a senha", masked).
// True when the entry opens the command; otherwise shows the command's refusal
// message with caption "Aviso" and returns false.
bool passwordGate(Protected command, const QString &userPassword, PasswordPrompt &prompt);

// "Senhas": the gate, then the new password and its confirmation in clear
// (caption "Troca de Senha"). An empty or mismatched entry shows "Senha
// inválida" and keeps the old password; success is silent. True when the
// password changed. The store receives it when the main window closes.
bool changeUserPassword(SharedState &state, PasswordPrompt &prompt);
