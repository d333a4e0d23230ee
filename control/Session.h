#pragma once
// The start and the end of a run of the main window, apart from its widgets:
// the state record set to its start values, the settings read and the stored
// port opened; at the end the port closed and the settings written.

#include "core/Settings.h"
#include "core/SharedState.h"

#include <QStringList>

class PortSelection;
class PortSelectionView;

// Writes the settings whenever the run asks (after a password change, at the
// end) and tells the operator what happened: a recovered settings file as a
// plain message, a failed write through the error report. The same text is
// shown once per run, so a read-only file is not reported at every write.
class SettingsSaver {
public:
    explicit SettingsSaver(SettingsUi &ui) : ui(ui) {}
    // True when both values reached the disk.
    bool save(const SharedState &state);

private:
    void tellOnce(const QString &text, bool error);

    SettingsUi &ui;
    QStringList told;
};

// Resets the parser, the poll and the search, reads the settings (messages
// through ui), shows the stored port ("Comm" + number) with its menu item
// checked (none outside 1..4), and opens it; a port that does not open leaves
// every item unchecked. A portNumber other than 0 takes the place of the
// stored one for this run (the command line's --porta); it is not stored.
void startSession(SharedState &state, SettingsUi &ui, PortSelectionView &view, PortSelection &ports,
                  int portNumber = 0);

// Closes the port (an error is logged) and writes the settings. A write that
// fails is reported through the saver and the run ends all the same: the
// previous settings file stays whole.
void endSession(const SharedState &state, SettingsSaver &saver, PortSelection &ports);
void endSession(const SharedState &state, SettingsUi &ui, PortSelection &ports);
