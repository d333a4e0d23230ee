#include "control/PasswordGate.h"

bool passwordGate(Protected command, const QString &userPassword, PasswordPrompt &prompt)
{
    const QString entry = prompt.ask(QStringLiteral("Senha"), QStringLiteral("Digite a senha"), true);
    if (passwordAccepted(command, entry, userPassword))
        return true;
    prompt.showMessage(refusalMessage(command), warningCaption);
    return false;
}

bool changeUserPassword(SharedState &state, PasswordPrompt &prompt)
{
    if (!passwordGate(Protected::ChangePassword, state.userPassword, prompt))
        return false;
    const QString caption = QStringLiteral("Troca de Senha");
    const QString fresh = prompt.ask(caption, QStringLiteral("Digite a nova senha"), false);
    const QString confirmation = prompt.ask(caption, QStringLiteral("Confirme a nova senha"), false);
    if (fresh.isEmpty() || fresh != confirmation) {
        prompt.showMessage(QStringLiteral("Senha inválida"), warningCaption);
        return false;
    }
    state.userPassword = fresh;
    return true;
}
