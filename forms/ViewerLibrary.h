#pragma once
// The test viewer and the test library. A viewer showing a library test
// keeps the operator's edits there as they happen: the four header fields
// (saved a moment after the last keystroke, and when the viewer closes) and
// the "Avaliação" choices (saved when they change). Opening the test again
// restores both, so it gets the same verdict.
//
// A test file opened in a viewer ("Carregar teste", a file named at start-up)
// is imported into the library, once per content: opening the same file
// again links the viewer to the test kept the first time and restores its
// header and choices.
//
// A library that cannot be used, or a write that fails, is told to the
// operator (the default error report, naming the file and the cause) once
// per viewer; the viewer keeps showing its test either way.

#include <QByteArray>
#include <QString>

class LibraryStore;
class QWidget;
class TForm5;

// The program's library for the windows: the first use tells the operator
// why it cannot be used, or that a damaged file was set aside. Null when
// unavailable.
LibraryStore *libraryForWindows();

// Links viewer to test: restores the stored header (when restoreHeader) and
// choices, then keeps their changes. Throws LibraryError when the test
// cannot be read.
void linkViewerToLibrary(TForm5 &viewer, LibraryStore &store, qint64 test, bool restoreHeader);

// "Biblioteca": the test in a new viewer, its table, chart, header and
// choices as kept, linked. Throws LibraryError (no viewer is left open then).
TForm5 *openLibraryTest(QWidget *mainWindow, LibraryStore &store, qint64 test);

// A test file's bytes, just shown in viewer: imported and linked (see above).
void keepViewerFileInLibrary(TForm5 &viewer, const QString &path, const QByteArray &bytes);
