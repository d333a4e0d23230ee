#include "control/Session.h"

#include "control/PortSelection.h"
#include "core/AppError.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"

void startSession(SharedState &state, SettingsUi &ui, PortSelectionView &view, PortSelection &ports, int portNumber)
{
    state.replyState = ReplyParser::Idle;
    state.pollIndex = 0;
    state.wetReading = state.dryReading = state.globeReading = 0.0L;
    state.portNumber = 0;
    state.portSearchState = PortSelection::SearchOpen;
    state.sequenceActive = false;
    freeLine(state);
    readSettings(state, ui);
    if (portNumber != 0)
        state.portNumber = portNumber;
    view.setStatusText(StatusPanel::Port, QStringLiteral("Comm%1").arg(state.portNumber));
    view.setPortChecked(state.portNumber >= 1 && state.portNumber <= 4 ? state.portNumber : 0);
    ports.openStoredPort();
}

bool SettingsSaver::save(const SharedState &state)
{
    try {
        const QString notice = writeSettings(state);
        if (!notice.isEmpty())
            tellOnce(notice, false);
        return true;
    } catch (const AppError &e) {
        tellOnce(e.message(), true);
        return false;
    }
}

void SettingsSaver::tellOnce(const QString &text, bool error)
{
    if (told.contains(text))
        return;
    told << text;
    if (error)
        ui.errorReport(text);
    else
        ui.plainMessage(text);
}

void endSession(const SharedState &state, SettingsSaver &saver, PortSelection &ports)
{
    ports.closeAtExit();
    saver.save(state);
}

void endSession(const SharedState &state, SettingsUi &ui, PortSelection &ports)
{
    SettingsSaver saver(ui);
    endSession(state, saver, ports);
}
