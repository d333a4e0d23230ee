#include "forms/Biblioteca.h"

#include "forms/Guarded.h"
#include "forms/LibraryDownloads.h"
#include "forms/ViewerLibrary.h"
#include "recordings/library/LibraryModel.h"
#include "recordings/library/LibraryStore.h"
#include "recordings/library/LibraryTransfer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPointer<LibraryWindow> theWindow;

QStringList localFiles(const QMimeData *data)
{
    QStringList paths;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

} // namespace

LibraryWindow *LibraryWindow::open(QWidget *mainWindow)
{
    if (!theWindow) {
        LibraryStore *store = libraryForWindows();
        if (!store)
            return nullptr;
        theWindow = new LibraryWindow(*store, mainWindow);
        theWindow->continueDownload = [](qint64 test) {
            LibraryDownloads *downloads = LibraryDownloads::current();
            return downloads && downloads->continueDownload(test);
        };
    }
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return theWindow;
}

LibraryWindow::LibraryWindow(LibraryStore &store, QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window)
    , store(store)
    , mainWindow(mainWindow)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Biblioteca"));
    setAcceptDrops(true);
    resize(960, 520);
    chooseImportPaths = [](QWidget *parent) {
        return QFileDialog::getOpenFileNames(parent, QStringLiteral("Importar testes"), QString(),
                                             QStringLiteral("Arquivos de testes (*.tvq);;Todos arquivos (*)"));
    };
    chooseExportFolder = [](QWidget *parent) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("Exportar testes para a pasta"));
    };
    confirm = [](QWidget *parent, const QString &question) {
        return QMessageBox::question(parent, QStringLiteral("Biblioteca"), question) == QMessageBox::Yes;
    };
    tell = [](QWidget *parent, const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Biblioteca"), text, QMessageBox::Ok, parent);
        box.exec();
    };
    model = new LibraryModel(store, this);
    connect(model, &LibraryModel::failed, this, [](const QString &message) { showErrorReport(message); });
    buildControls();
    seenVersion = guardedVersion();
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, guarded(this, [this] { refresh(); }));
    timer->start(RefreshIntervalMs);
}

LibraryWindow::~LibraryWindow() = default;

quint64 LibraryWindow::guardedVersion() const
{
    try {
        return store.version();
    } catch (const std::exception &e) {
        qWarning("library version: %s", e.what());
        return seenVersion;
    }
}

void LibraryWindow::buildControls()
{
    search = new QLineEdit(this);
    search->setPlaceholderText(QStringLiteral("Procurar (empresa, setor, nome, observações, origem, estado)"));
    search->setClearButtonEnabled(true);
    trashView = new QCheckBox(QStringLiteral("Lixeira"), this);
    table = new QTableView(this);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSortingEnabled(true);
    table->sortByColumn(LibraryModel::Start, Qt::DescendingOrder);
    count = new QLabel(this);
    openButton = new QPushButton(QStringLiteral("Abrir"), this);
    importButton = new QPushButton(QStringLiteral("Importar..."), this);
    exportButton = new QPushButton(QStringLiteral("Exportar..."), this);
    trashButton = new QPushButton(QStringLiteral("Mover para a Lixeira"), this);
    emptyTrashButton = new QPushButton(QStringLiteral("Esvaziar Lixeira"), this);
    emptyTrashButton->hide();
    continueButton = new QPushButton(QStringLiteral("Continuar download"), this);
    continueButton->setObjectName(QStringLiteral("continueButton"));
    continueButton->setEnabled(false);

    auto *top = new QHBoxLayout;
    top->addWidget(search, 1);
    top->addWidget(trashView);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(count, 1);
    for (QPushButton *b : {openButton, continueButton, importButton, exportButton, trashButton, emptyTrashButton})
        bottom->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table, 1);
    layout->addLayout(bottom);

    // Enter or a double-click (a single click where the desktop opens items so).
    connect(table, &QTableView::activated, this, guarded(this, [this] { openSelected(); }));
    connect(search, &QLineEdit::textChanged, this, guarded(this, [this](const QString &t) { setSearch(t); }));
    connect(trashView, &QCheckBox::toggled, this, guarded(this, [this](bool on) { showTrash(on); }));
    connect(openButton, &QPushButton::clicked, this, guarded(this, [this] { openSelected(); }));
    connect(importButton, &QPushButton::clicked, this, guarded(this, [this] { chooseFilesToImport(); }));
    connect(exportButton, &QPushButton::clicked, this, guarded(this, [this] { exportSelected(); }));
    connect(trashButton, &QPushButton::clicked, this, guarded(this, [this] { trashOrRestoreSelected(); }));
    connect(emptyTrashButton, &QPushButton::clicked, this, guarded(this, [this] { emptyTrash(); }));
    connect(continueButton, &QPushButton::clicked, this, guarded(this, [this] { continueSelected(); }));
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            guarded(this, [this] { enableContinue(); }));
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        showCount();
        enableContinue();
    });
    showCount();
}

void LibraryWindow::showCount()
{
    const int n = model->matchingTests();
    count->setText(n == 1 ? QStringLiteral("1 teste") : QStringLiteral("%1 testes").arg(n));
}

void LibraryWindow::refresh()
{
    const quint64 version = guardedVersion();
    if (version == seenVersion)
        return;
    seenVersion = version;
    // Read again with the selection and the scrolling kept, so a download
    // archived while the operator looks does not move the table under them.
    const std::vector<qint64> selected = selectedTests();
    const int scrolled = table->verticalScrollBar()->value();
    model->reload();
    for (int row = 0; row < model->rowCount(); ++row)
        if (std::find(selected.begin(), selected.end(), model->testAt(row)) != selected.end())
            table->selectionModel()->select(model->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->verticalScrollBar()->setValue(scrolled);
}

void LibraryWindow::setSearch(const QString &text)
{
    if (search->text() != text)
        search->setText(text); // comes back here through textChanged
    else
        model->setSearch(text);
}

void LibraryWindow::showTrash(bool trash)
{
    if (trashView->isChecked() != trash) {
        trashView->setChecked(trash); // comes back here through toggled
        return;
    }
    model->setTrashView(trash);
    trashButton->setText(trash ? QStringLiteral("Restaurar") : QStringLiteral("Mover para a Lixeira"));
    emptyTrashButton->setVisible(trash);
    openButton->setEnabled(!trash);
}

std::vector<qint64> LibraryWindow::selectedTests() const
{
    QModelIndexList rows = table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<qint64> ids;
    for (const QModelIndex &row : rows)
        ids.push_back(model->testAt(row.row()));
    return ids;
}

void LibraryWindow::selectRows(int first, int last)
{
    table->clearSelection();
    table->selectionModel()->setCurrentIndex(model->index(first, 0), QItemSelectionModel::NoUpdate);
    table->selectionModel()->select(
        QItemSelection(model->index(first, 0), model->index(last, LibraryModel::ColumnCount - 1)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::optional<qint64> LibraryWindow::selectedInterruptedDownload() const
{
    const std::vector<qint64> selected = selectedTests();
    if (selected.size() != 1 || trashView->isChecked())
        return std::nullopt;
    const std::optional<TestInfo> info = store.info(selected.front());
    if (!info || info->origin.kind != TestOrigin::Kind::Meter || info->state != TestState::Interrupted)
        return std::nullopt;
    return info->id;
}

void LibraryWindow::enableContinue()
{
    continueButton->setEnabled(continueDownload && selectedInterruptedDownload());
}

void LibraryWindow::continueSelected()
{
    if (!continueDownload)
        return;
    if (const std::optional<qint64> test = selectedInterruptedDownload())
        continueDownload(*test);
}

void LibraryWindow::openSelected()
{
    for (qint64 test : selectedTests())
        openLibraryTest(mainWindow, store, test);
}

void LibraryWindow::exportSelected()
{
    const std::vector<qint64> tests = selectedTests();
    if (tests.empty())
        return;
    const QString folder = chooseExportFolder(this);
    if (folder.isEmpty())
        return;
    const QStringList written = exportTests(store, tests, folder);
    tell(this, written.size() == 1 ? QStringLiteral("1 teste exportado para %1.").arg(folder)
                                   : QStringLiteral("%1 testes exportados para %2.").arg(written.size()).arg(folder));
}

void LibraryWindow::trashOrRestoreSelected()
{
    const std::vector<qint64> tests = selectedTests();
    if (tests.empty())
        return;
    if (model->trashView())
        store.restore(tests);
    else
        store.trash(tests);
    refresh();
}

void LibraryWindow::emptyTrash()
{
    LibraryQuery trash;
    trash.trash = true;
    const int n = store.testCount(trash);
    if (n == 0)
        return;
    const QString question = n == 1 ? QStringLiteral("Apagar de vez o teste da Lixeira?")
                                    : QStringLiteral("Apagar de vez os %1 testes da Lixeira?").arg(n);
    if (!confirm(this, question))
        return;
    store.emptyTrash();
    refresh();
}

void LibraryWindow::importFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const ImportSummary summary = importTestFiles(store, paths);
    refresh();
    tell(this, summary.text());
}

void LibraryWindow::chooseFilesToImport()
{
    importFiles(chooseImportPaths(this));
}

void LibraryWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void LibraryWindow::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Imported after the drop has finished, so the dragging program is not
    // kept waiting through a long import and its report.
    QTimer::singleShot(0, this, guarded(this, [this, paths] { importFiles(paths); }));
}
