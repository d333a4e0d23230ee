#pragma once
// Qt's own texts in Portuguese (Brazil): the labels and buttons of the
// standard dialogs (open, save, print, message boxes, the password box's OK
// and Cancel) come from Qt's translation qtbase_pt_BR.qm, which the system's
// Qt translations hold (Debian: qt6-translations-l10n, a dependency of the
// package). Without the file the dialogs speak English; the log says why.

class QCoreApplication;

// Loads the translation into app (which owns it). False when the file is not
// there or does not load.
bool installQtPortuguese(QCoreApplication &app);
