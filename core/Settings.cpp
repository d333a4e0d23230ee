#include "core/Settings.h"

#include "core/AppError.h"
#include "core/Registry.h"

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

} // namespace

void readSettings(SharedState &state, SettingsUi &ui)
{
    TRegistry reg;
    if (!reg.KeyExists(settingsKey) || !reg.OpenKey(settingsKey, false)) {
        state.portNumber = 0;
        state.userPassword = defaultUserPassword;
        ui.plainMessage(noKeyMessage);
        return;
    }
    readPort(reg, state, ui);
    readPassword(reg, state, ui);
}

void writeSettings(const SharedState &state)
{
    TRegistry reg;
    if (!reg.OpenKey(settingsKey, true))
        throw AppError(reg.LastError());
    reg.WriteInteger(kPorta, state.portNumber);
    reg.WriteString(kPassword, state.userPassword);
}
