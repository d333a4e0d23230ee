#pragma once
// What the test viewer's toolbar does, and the opening of a test file in a
// new viewer ("Carregar teste" and `vestara FILE.tvq`).
//
// The toolbar: "Salvar dados" asks for a file name and writes the test file
// (recordings/TestFile.h) atomically, keeps its folder for the next save, then
// tells what the code page could not hold; "Exportar EXCEL" writes a workbook and hands it to the desktop
// (recordings/SpreadsheetExport.h); "Imprimir" opens a new report window
// (forms/Relatorio.h) at every press. The "Não existe testes" check before
// save and export is the viewer's own. Their errors go to the default error
// report through the viewer's hooks; the viewer itself is never changed.
//
// The file dialogs and the desktop opener are reached through one
// program-wide seam, so tests choose the file and record the opening without
// a modal dialog or a desktop.

#include <QString>

#include <functional>
#include <memory>

class FileOpener;
class QWidget;
class TForm5;

struct ViewerFileSeams {
    // The save dialog "Salvar arquivo como..." and the open dialog "Carregar
    // arquivo de teste", over the filters "Arquivos de testes (*.tvq)" and
    // "Todos arquivos (*)". They return the chosen path, or an empty text
    // when the user cancelled. The save dialog opens on the proposed path:
    // the last folder saved in (core/SaveFolder.h) and the test's own name
    // (recordings/TestFileName.h).
    std::function<QString(QWidget *parent, const QString &proposed)> chooseSavePath;
    std::function<QString(QWidget *parent)> chooseOpenPath;
    // Hands a written workbook to the user's spreadsheet application.
    std::shared_ptr<FileOpener> opener;
};

// The program's seams: the platform's dialogs and the desktop opener until a
// test replaces them.
ViewerFileSeams &viewerFileSeams();

// The three toolbar actions; they throw AppError on failure. saveViewerTest
// and exportViewerTest expect the "Não existe testes" check done.
void saveViewerTest(TForm5 &viewer);
void exportViewerTest(TForm5 &viewer);
void printViewerReport(TForm5 &viewer);

// Creates an empty viewer with the toolbar actions plugged in, disabling
// mainWindow while it exists, and shows it. Every viewer of the program is
// opened here.
TForm5 *openViewer(QWidget *mainWindow);

// Reads the test file at path into viewer (freshly opened, empty). Returns
// false, having touched nothing, when no file of that name exists. Throws
// AppError when the file cannot be opened or read.
bool loadIntoViewer(TForm5 &viewer, const QString &path);

// "Carregar teste": an empty viewer, then the open dialog, then the file.
// Cancelling or naming a file that does not exist leaves the empty viewer
// open. Throws AppError as loadIntoViewer (the viewer stays open).
TForm5 *loadTestFileFromDialog(QWidget *mainWindow);

// A test file named at start-up: the viewer as "Carregar teste" fills it
// after its dialog. A file that does not exist or cannot be read opens no
// viewer: AppError tells which file and why.
TForm5 *openTestFileInViewer(QWidget *mainWindow, const QString &path);
