#pragma once
// The start and the end of a run of the main window, apart from its widgets:
// the state record set to its start values, the settings read and the stored
// port opened; at the end the port closed and the settings written.

#include "core/Settings.h"
#include "core/SharedState.h"

class PortSelection;
class PortSelectionView;

// Resets the parser, the poll and the search, reads the settings (messages
// through ui), shows the stored port ("Comm" + number) with its menu item
// checked (none outside 1..4), and opens it; a port that does not open leaves
// every item unchecked.
void startSession(SharedState &state, SettingsUi &ui, PortSelectionView &view, PortSelection &ports);

// Closes the port (an error is logged) and writes the settings. A write that
// fails goes to ui's error report and the run ends all the same: the previous
// settings file stays whole.
void endSession(const SharedState &state, SettingsUi &ui, PortSelection &ports);
