#pragma once
// The window "Biblioteca" (Arquivo > Biblioteca, Ctrl+B): every test the
// library keeps, in a table (recordings/library/LibraryModel.h) with a search
// field and sorting by a click on a column's title. Double-click or Enter
// opens the test in the viewer; several selected tests can be exported as
// test files into a folder or moved to the "Lixeira"; the "Lixeira" view
// restores them or, on request, empties it. Test files are imported many at
// once, from a multi-select dialog or dropped onto the window. "Continuar
// download" completes the one selected test when it is a download that was
// cut ("interrompido"), asking the meter only for the missing records.
//
// The window follows the library: a change by this program (a download being
// archived) or by another one shows within RefreshIntervalMs.
//
// Dialogs and questions go through the members below, so tests choose files
// and answer without a modal dialog. Failures go to the default error report.

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class LibraryModel;
class LibraryStore;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

class LibraryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int RefreshIntervalMs = 1000;

    // The program's one library window, created or raised; null, after the
    // operator was told why, when the library cannot be used this run.
    static LibraryWindow *open(QWidget *mainWindow);

    // A window of mainWindow's own (or a top-level one without it); a viewer
    // opened from here disables mainWindow, and this window with it.
    LibraryWindow(LibraryStore &store, QWidget *mainWindow);
    ~LibraryWindow() override;

    void setSearch(const QString &text);
    void showTrash(bool trash);
    // The tests selected, in the order shown.
    std::vector<qint64> selectedTests() const;
    void selectRows(int first, int last);
    const LibraryModel &tests() const { return *model; }

    void openSelected();
    void exportSelected();
    void trashOrRestoreSelected();
    void emptyTrash();
    void importFiles(const QStringList &paths);
    void chooseFilesToImport();
    // "Continuar download" of the one selected test; nothing unless it is an
    // interrupted download.
    void continueSelected();

    // Seams: the platform's dialogs and message boxes unless replaced.
    std::function<QStringList(QWidget *parent)> chooseImportPaths;
    std::function<QString(QWidget *parent)> chooseExportFolder;
    std::function<bool(QWidget *parent, const QString &question)> confirm;
    std::function<void(QWidget *parent, const QString &text)> tell;
    // Continues the download of a library test from the meter; unset while
    // no main window runs the meter's flows (the button stays disabled).
    std::function<bool(qint64 test)> continueDownload;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildControls();
    void refresh();
    void showCount();
    std::optional<qint64> selectedInterruptedDownload() const;
    void enableContinue();
    quint64 guardedVersion() const;

    LibraryStore &store;
    QWidget *mainWindow;
    LibraryModel *model = nullptr;
    quint64 seenVersion = 0;
    QLineEdit *search = nullptr;
    QCheckBox *trashView = nullptr;
    QTableView *table = nullptr;
    QLabel *count = nullptr;
    QPushButton *openButton = nullptr;
    QPushButton *importButton = nullptr;
    QPushButton *exportButton = nullptr;
    QPushButton *trashButton = nullptr;
    QPushButton *emptyTrashButton = nullptr;
    QPushButton *continueButton = nullptr;
};
