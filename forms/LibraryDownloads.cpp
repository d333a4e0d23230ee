#include "forms/LibraryDownloads.h"

#include "forms/ErrorReport.h"
#include "forms/Guarded.h"
#include "forms/LibraryProgress.h"
#include "forms/ViewerLibrary.h"
#include "recordings/archive/LibraryArchive.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

QPointer<LibraryDownloads> running;

// Reported from the event loop: never a box inside the scheduler's step.
void reportLater(QObject *context, const QString &text)
{
    QTimer::singleShot(0, context, [text] { showErrorReport(text); });
}

} // namespace

LibraryDownloads::LibraryDownloads(QWidget *mainWindow, SharedState &state, PollScheduler &scheduler, ViewerSlot &slot)
    : QObject(mainWindow)
    , mainWindow(mainWindow)
    , state(state)
    , scheduler(scheduler)
    , slot(slot)
    , progress(new LibraryProgress(mainWindow))
    , viewerDownload(scheduler, slot)
{
    running = this;
}

LibraryDownloads::~LibraryDownloads() = default;

LibraryDownloads *LibraryDownloads::current()
{
    return running.data();
}

TestArchive &LibraryDownloads::archive()
{
    // The program's one library, which the windows and the viewer use too; it
    // tells the operator itself why it cannot be opened.
    if (!opened) {
        opened = true;
        if (LibraryStore *store = libraryForWindows()) {
            library = std::make_unique<LibraryArchive>(*store);
            library->failed = [this](const QString &text) { reportLater(this, text); };
        } else {
            other = std::make_unique<NullTestArchive>(QStringLiteral("A biblioteca de testes não pôde ser aberta."));
        }
    }
    return library ? static_cast<TestArchive &>(*library) : *other;
}

void LibraryDownloads::useArchive(std::unique_ptr<TestArchive> replacement)
{
    opened = true;
    library.reset();
    other = std::move(replacement);
}

bool LibraryDownloads::busy()
{
    if (!(all && all->running()) && !(resume && resume->running()) && !(erase && erase->running()))
        return false;
    showPlainMessage(mainWindow, QStringLiteral("Aguarde: a biblioteca ainda está recebendo testes do medidor."));
    return true;
}

QPushButton *LibraryDownloads::makeDownloadAllButton(QWidget *parent)
{
    auto *button = new QPushButton(QStringLiteral("Baixar todos"), parent);
    button->setToolTip(QStringLiteral("Baixa para a biblioteca todos os testes do medidor que ela ainda não tem"));
    connect(button, &QPushButton::clicked, this, guarded(this, [this] { downloadAll(); }));
    return button;
}

void LibraryDownloads::downloadAll()
{
    if (busy())
        return;
    if (!all)
        all = std::make_unique<DownloadAll>(state, scheduler, slot, archive(), *progress);
    progress->begin(QStringLiteral("Baixar todos"), [this] { all->cancel(); });
    all->start();
}

void LibraryDownloads::downloadIntoViewer(int testIndex, QObject *viewerWindow, ViewerSink &viewer)
{
    const QList<int> &counts = scheduler.listedRecordCounts();
    TestArchive &kept = archive();
    viewerDownload.stop(); // the archive of an earlier download ends before its viewer is replaced
    shownViewer.reset(viewerWindow, &viewer);
    std::unique_ptr<ArchivedDownload> archived =
        kept.beginDownload({QStringLiteral("COM%1").arg(state.portNumber), testIndex + 1, counts.value(testIndex),
                            QDateTime::currentDateTime()},
                           shownViewer);
    if (!archived && library)
        reportLater(this, kept.problem());
    viewerDownload.start(testIndex, {}, std::move(archived), viewerWindow, &viewer, {});
}

void LibraryDownloads::eraseMemory(PasswordPrompt &prompt, Tell tell)
{
    if (busy())
        return;
    if (!erase)
        erase = std::make_unique<SafeErase>(state, scheduler, slot, archive(), *progress);
    erase->start(prompt, *this, std::move(tell));
}

EraseQuestion::Answer LibraryDownloads::askBeforeErasing(const QString &question)
{
    Answer answer = Answer::Cancel;
    if (answerWithoutBox) {
        answer = answerWithoutBox(question);
    } else {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Aviso"), question, QMessageBox::NoButton, mainWindow);
        QPushButton *download = box.addButton(QStringLiteral("Baixar todos"), QMessageBox::AcceptRole);
        QPushButton *eraseAnyway = box.addButton(QStringLiteral("Apagar"), QMessageBox::DestructiveRole);
        QPushButton *cancel = box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
        box.setDefaultButton(download);
        box.setEscapeButton(cancel);
        box.exec();
        answer = box.clickedButton() == download      ? Answer::DownloadAll
                 : box.clickedButton() == eraseAnyway ? Answer::Erase
                                                      : Answer::Cancel;
    }
    if (answer == Answer::DownloadAll)
        progress->begin(QStringLiteral("Baixar todos"), [this] { erase->cancel(); });
    return answer;
}

bool LibraryDownloads::continueDownload(qint64 testId)
{
    if (busy())
        return false;
    if (!resume)
        resume = std::make_unique<ResumeDownload>(state, scheduler, slot, archive(), *progress);
    progress->begin(QStringLiteral("Continuar download"), [this] { resume->cancel(); });
    resume->start(testId);
    return true;
}

QPushButton *LibraryDownloads::makeContinueButton(QWidget *parent)
{
    auto *button = new QPushButton(QStringLiteral("Continuar download"), parent);
    button->setToolTip(QStringLiteral("Completa o último download interrompido, pedindo só os registros que faltam"));
    connect(button, &QPushButton::clicked, this, guarded(this, [this] {
                if (const std::optional<qint64> test = archive().lastInterrupted())
                    continueDownload(*test);
                else
                    showPlainMessage(mainWindow, QStringLiteral("Nenhum download interrompido na biblioteca."));
            }));
    return button;
}
