#include "core/PasswordRules.h"

namespace {

bool userPasswordOpens(Protected command)
{
    return command == Protected::EraseMemory || command == Protected::ChangePassword;
}

} // namespace

bool passwordAccepted(Protected command, const QString &entry, const QString &userPassword)
{
    if (entry.isEmpty())
        return false;
    if (entry == maintenancePassword)
        return true;
    return userPasswordOpens(command) && entry == userPassword;
}

QString refusalMessage(Protected command)
{
    return command == Protected::ChangePassword ? QStringLiteral("Senha inválida")
                                                : QStringLiteral("Ação não permitida");
}
