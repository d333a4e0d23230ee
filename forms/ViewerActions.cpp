#include "forms/ViewerActions.h"

#include "core/AppError.h"
#include "core/SaveFolder.h"
#include "core/SharedState.h"
#include "forms/DesktopFileOpener.h"
#include "forms/Relatorio.h"
#include "forms/ViewerLibrary.h"
#include "forms/Visualizar.h"
#include "recordings/SpreadsheetExport.h"
#include "recordings/TestFile.h"
#include "recordings/TestFileName.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include <cerrno>

namespace {

const QString kFilters = QStringLiteral("Arquivos de testes (*.tvq);;Todos arquivos (*)");
const QString kSuffix = QStringLiteral("tvq");

// Wide enough for the name, size, type and date columns of the list view.
constexpr QSize fileDialogSize(820, 480);

QString runFileDialog(QWidget *parent, const QString &title, QFileDialog::AcceptMode mode,
                      const QString &proposed = QString())
{
    QFileDialog dialog(parent, title, QString(), kFilters);
    dialog.setMinimumSize(fileDialogSize);
    if (!proposed.isEmpty()) {
        const QFileInfo where(proposed);
        dialog.setDirectory(where.absolutePath());
        dialog.selectFile(where.fileName());
    }
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(kSuffix);
    if (mode == QFileDialog::AcceptSave) {
        // The save replaces an existing file without asking; the write is
        // atomic, so a failure never leaves the old file half overwritten.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

ViewerFileSeams platformSeams()
{
    ViewerFileSeams seams;
    seams.chooseSavePath = [](QWidget *parent, const QString &proposed) {
        return runFileDialog(parent, QStringLiteral("Salvar arquivo como..."), QFileDialog::AcceptSave, proposed);
    };
    seams.chooseOpenPath = [](QWidget *parent) {
        return runFileDialog(parent, QStringLiteral("Carregar arquivo de teste"), QFileDialog::AcceptOpen);
    };
    seams.opener = std::make_shared<DesktopFileOpener>();
    return seams;
}

TestHeader viewerHeader(const TForm5 &viewer)
{
    TestHeader header;
    for (int field = 1; field <= 4; ++field)
        header[size_t(field - 1)] = viewer.headerField(field);
    return header;
}

AppError missingFile(const QString &path)
{
    return AppError(QStringLiteral("Não foi possível abrir \"%1\": %2").arg(path, fileErrorCause(ENOENT)));
}

} // namespace

ViewerFileSeams &viewerFileSeams()
{
    static ViewerFileSeams seams = platformSeams();
    return seams;
}

void saveViewerTest(TForm5 &viewer)
{
    const QString proposed =
        QDir(lastSaveFolder()).filePath(proposedTestFileName(viewer.headerField(1), viewer.table()));
    const QString path = viewerFileSeams().chooseSavePath(&viewer, proposed);
    if (path.isEmpty())
        return;
    const TestFileLoss loss = saveTestFile(path, viewerHeader(viewer), viewer.table());
    try {
        rememberSaveFolder(QFileInfo(path).absolutePath());
    } catch (const std::exception &e) {
        // The test is saved; only the next dialog's folder is lost.
        qWarning("the folder of the saved test is not kept: %s", e.what());
    }
    // The file is in place; the operator learns what became "?" in it.
    if (loss.any()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Aviso"), loss.message(), QMessageBox::Ok, &viewer);
        box.exec();
    }
}

void exportViewerTest(TForm5 &viewer)
{
    exportSpreadsheet(viewer.table(), *viewerFileSeams().opener, QDateTime::currentDateTime());
}

void printViewerReport(TForm5 &viewer)
{
    TForm3::open(viewer.table(), viewerHeader(viewer));
}

TForm5 *openViewer(QWidget *mainWindow)
{
    auto *viewer = new TForm5(mainWindow);
    // The hooks run while the viewer exists: it owns them.
    viewer->onSave = [viewer] { saveViewerTest(*viewer); };
    viewer->onExport = [viewer] { exportViewerTest(*viewer); };
    viewer->onPrintReport = [viewer] { printViewerReport(*viewer); };
    viewer->show();
    return viewer;
}

bool loadIntoViewer(TForm5 &viewer, const QString &path)
{
    const std::optional<QByteArray> bytes = readTestFileBytes(path);
    if (!bytes)
        return false;
    readTestFile(*bytes, viewer, shared());
    viewer.flushPending();
    keepViewerFileInLibrary(viewer, path, *bytes);
    return true;
}

TForm5 *loadTestFileFromDialog(QWidget *mainWindow)
{
    QPointer<TForm5> viewer = openViewer(mainWindow);
    const QString path = viewerFileSeams().chooseOpenPath(viewer);
    // The viewer may have been closed behind the dialog.
    if (path.isEmpty() || !viewer)
        return viewer;
    loadIntoViewer(*viewer, path);
    return viewer;
}

TForm5 *openTestFileInViewer(QWidget *mainWindow, const QString &path)
{
    // Read before the viewer opens: not even an empty viewer for a file that
    // is not there or cannot be read.
    const std::optional<QByteArray> bytes = readTestFileBytes(path);
    if (!bytes)
        throw missingFile(path);
    TForm5 *viewer = openViewer(mainWindow);
    readTestFile(*bytes, *viewer, shared());
    viewer->flushPending();
    keepViewerFileInLibrary(*viewer, path, *bytes);
    return viewer;
}
