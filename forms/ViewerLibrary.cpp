#include "forms/ViewerLibrary.h"

#include "forms/Avaliacao.h"
#include "forms/ErrorReport.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "recordings/library/LibraryStore.h"
#include "recordings/library/LibraryTransfer.h"
#include "recordings/library/ProgramLibrary.h"

#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int HeaderSaveDelayMs = 500;

// Lives as a child of the viewer: saves what the operator changes.
class ViewerLink : public QObject {
public:
    ViewerLink(TForm5 &viewer, LibraryStore &store, qint64 test)
        : QObject(&viewer)
        , viewer(viewer)
        , store(store)
        , test(test)
    {
        savedChoices = viewer.TabSheet4->choicesText();
        headerTimer.setSingleShot(true);
        headerTimer.setInterval(HeaderSaveDelayMs);
        connect(&headerTimer, &QTimer::timeout, this, [this] { saveHeader(); });
        const QLineEdit *edits[] = {viewer.Edit1, viewer.Edit2, viewer.Edit3, viewer.Edit4};
        for (size_t f = 0; f < std::size(edits); ++f)
            connect(edits[f], &QLineEdit::textEdited, this, [this, f](const QString &text) {
                if (!pendingHeader)
                    pendingHeader = shownHeader();
                (*pendingHeader)[f] = text;
                headerTimer.start();
            });
        connect(viewer.TabSheet4, &TAvaliacaoPage::recomputed, this, [this] { saveChoices(); });
    }
    // Destroyed with the viewer: the header edited last is written from what
    // this object holds, without reading a widget that may be gone.
    ~ViewerLink() override { saveHeader(); }

private:
    TestHeader shownHeader() const
    {
        return {viewer.headerField(1), viewer.headerField(2), viewer.headerField(3), viewer.headerField(4)};
    }
    void saveHeader()
    {
        if (!pendingHeader)
            return;
        const TestHeader header = *std::exchange(pendingHeader, std::nullopt);
        write([&] { store.saveHeader(test, header); });
    }
    void saveChoices()
    {
        const QString choices = viewer.TabSheet4->choicesText();
        if (choices == savedChoices)
            return;
        savedChoices = choices;
        write([&] { store.saveAssessment(test, choices); });
    }
    template <class Write> void write(Write &&w)
    {
        try {
            w();
        } catch (const std::exception &e) {
            qWarning("library: %s", e.what());
            if (!told) {
                told = true;
                showErrorReport(QString::fromUtf8(e.what()));
            }
        }
    }

    TForm5 &viewer;
    LibraryStore &store;
    const qint64 test;
    QTimer headerTimer;
    std::optional<TestHeader> pendingHeader;
    QString savedChoices;
    bool told = false;
};

} // namespace

LibraryStore *libraryForWindows()
{
    LibraryStore *store = programLibrary();
    if (const QString message = takeLibraryMessage(); !message.isEmpty()) {
        if (store)
            showPlainMessage(nullptr, message);
        else
            showErrorReport(message);
    }
    return store;
}

void linkViewerToLibrary(TForm5 &viewer, LibraryStore &store, qint64 test, bool restoreHeader)
{
    const auto info = store.info(test);
    if (!info)
        return;
    if (restoreHeader)
        for (int f = 0; f < 4; ++f)
            viewer.setHeaderField(f + 1, info->header[size_t(f)]);
    viewer.TabSheet4->setChoicesText(info->assessment);
    new ViewerLink(viewer, store, test);
}

TForm5 *openLibraryTest(QWidget *mainWindow, LibraryStore &store, qint64 test)
{
    QPointer<TForm5> viewer = openViewer(mainWindow);
    try {
        store.loadTest(test, *viewer);
        viewer->flushPending();
        linkViewerToLibrary(*viewer, store, test, false);
    } catch (...) {
        if (viewer)
            viewer->close();
        throw;
    }
    return viewer;
}

void keepViewerFileInLibrary(TForm5 &viewer, const QString &path, const QByteArray &bytes)
{
    LibraryStore *store = libraryForWindows();
    if (!store)
        return;
    try {
        const TestHeader header{viewer.headerField(1), viewer.headerField(2), viewer.headerField(3),
                                viewer.headerField(4)};
        const ImportedTest imported = importReadTest(*store, path, bytes, header, viewer.table());
        linkViewerToLibrary(viewer, *store, imported.test, !imported.added);
    } catch (const std::exception &e) {
        showErrorReport(QStringLiteral("O teste \"%1\" não foi guardado na biblioteca. %2")
                            .arg(QDir::toNativeSeparators(path), QString::fromUtf8(e.what())));
    }
}
