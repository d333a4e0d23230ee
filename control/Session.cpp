#include "control/Session.h"

#include "control/PortSelection.h"
#include "core/AppError.h"
#include "link/ReplyParser.h"

void startSession(SharedState &state, SettingsUi &ui, PortSelectionView &view, PortSelection &ports)
{
    state.replyState = ReplyParser::Idle;
    state.pollIndex = 0;
    state.wetReading = state.dryReading = state.globeReading = 0.0L;
    state.portNumber = 0;
    state.portSearchState = PortSelection::SearchOpen;
    state.sequenceActive = false;
    state.readyToSend = true;
    readSettings(state, ui);
    view.setStatusText(StatusPanel::Port, QStringLiteral("Comm%1").arg(state.portNumber));
    view.setPortChecked(state.portNumber >= 1 && state.portNumber <= 4 ? state.portNumber : 0);
    ports.openStoredPort();
}

void endSession(const SharedState &state, SettingsUi &ui, PortSelection &ports)
{
    ports.closeAtExit();
    try {
        writeSettings(state);
    } catch (const AppError &e) {
        ui.errorReport(e.message());
    }
}
