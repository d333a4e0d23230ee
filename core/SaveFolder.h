#pragma once
// The folder the save dialog opens in: the one the last test file was saved
// in, kept as "UltimaPasta" in the settings file so that it holds across
// runs, or the user's documents folder when none was kept or the kept one is
// gone.

#include <QString>

inline const QString saveFolderName = QStringLiteral("UltimaPasta");

QString lastSaveFolder();

// Keeps folder in the settings file (the other values stay as they are).
// Throws AppError with the reason in Portuguese when the file cannot be
// written.
void rememberSaveFolder(const QString &folder);
