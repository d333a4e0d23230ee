#pragma once
// The program's one library, opened at first use at libraryFilePath() and
// closed when the application ends. Windows, the viewer and the download
// paths all keep tests through it; use it on the user-interface thread only.
//
// When the library cannot be opened this run (a newer schema, a file that
// cannot be set aside, a folder that cannot be written) programLibrary()
// returns null from then on, and the download or the viewer goes on without
// it. The reason, or the notice of a damaged file set aside, is handed out
// once by takeLibraryMessage(), for the operator.

#include <QString>

class LibraryStore;

LibraryStore *programLibrary();
QString takeLibraryMessage();
// Closes the library (a test may then point the settings elsewhere and open another).
void closeProgramLibrary();
