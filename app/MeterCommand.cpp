#include "app/MeterCommand.h"

#include "control/ArchivedRun.h"
#include "control/DownloadAll.h"
#include "control/MeterSession.h"
#include "control/ProtectedCommands.h"
#include "core/AppError.h"
#include "core/MeterReplyTexts.h"
#include "core/Settings.h"
#include "link/ConfigCommands.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTableSink.h"
#include "recordings/archive/LibraryArchive.h"

#include <QEventLoop>

#include <optional>

namespace {

// The session's window: it shows nothing (live polling off, as the null view
// keeps it), keeps what the command prints and follows the sequences to their
// end.
class HeadlessMeter : public NullMeterView, public LibraryDownloadView {
public:
    HeadlessMeter(const CommandLine &line, QTextStream &out, QTextStream &err, std::shared_ptr<ComPlatform> platform,
                  TestArchive *archive)
        : line(line)
        , out(out)
        , err(err)
        , session(state, *this, windows, std::move(platform))
        , archive(archive)
    {
    }

    int run();

    void setStatusText(StatusPanel panel, const QString &text) override;
    QString statusText(StatusPanel panel) const override { return panels[int(panel)]; }
    void setMemoryMaximum(int value) override { memoryTotal = value; }
    void setMemoryPosition(int value) override { memoryFree = value; }
    void showMessage(const QString &text, const QString &) override;
    void clearTestTree() override { recordCounts.clear(); }
    void addTestNode(const QString &) override { recordCounts << state.recordCount; }
    void setDownloadProgress(int maximum, int position) override;
    void setUnitMenuEnabled(bool enabled) override;

    void plainMessage(const QString &text) override { tell(text); }
    void errorReport(const QString &text) override { tell(text); }

private:
    enum class Phase { Starting, Listing, Downloading, DownloadingAll, SettingClock };

    // LibraryDownloadView: "Baixar todos" on standard error.
    void showActivity(const QString &text) override { tell(text); }
    void showTest(int testNumber, int done, int total) override;
    void showRecords(int records, int recordCount) override;
    void downloadsEnded(const QString &summary, bool whole) override;

    void sequenceEnded();
    void listEnded();
    void downloadEnded();
    void tell(const QString &text);
    void finish(int status);
    void fail(const QString &reason)
    {
        tell(reason);
        finish(1);
    }

    const CommandLine &line;
    QTextStream &out;
    QTextStream &err;
    SharedState state;
    WindowSlots windows;
    MeterSession session;
    QEventLoop loop;
    QObject context; // stands for the viewer, and receives the queued checks
    ViewerTableSink viewer;
    Phase phase = Phase::Starting;
    std::optional<int> status;
    QString panels[3];
    QList<int> recordCounts; // of the tests listed, from test 1
    std::optional<int> memoryTotal, memoryFree;
    TestArchive *archive; // null: the download is kept only in the file
    int testShown = 0;    // the test "Baixar todos" downloads now
    ArchivedRun download{session.scheduler(), windows.viewer};
    std::unique_ptr<DownloadAll> downloadAll;
};

int HeadlessMeter::run()
{
    session.start(line.portNumber);
    if (!session.port().Connected()) {
        const QString hint = panels[int(StatusPanel::Activity)];
        fail(hint.isEmpty() ? QStringLiteral("Não foi possível abrir a porta COM%1.").arg(state.portNumber) : hint);
    } else if (line.action == CommandLine::Action::SetClock) {
        phase = Phase::SettingClock;
        session.scheduler().sendWhenFree([] { return ConfigCommand::clockNow(); },
                                         [this](bool written) {
                                             if (!written)
                                                 fail(notSentText);
                                         });
    } else if (line.action == CommandLine::Action::DownloadAll) {
        phase = Phase::DownloadingAll;
        downloadAll = std::make_unique<DownloadAll>(state, session.scheduler(), windows.viewer, *archive, *this);
        downloadAll->start();
    } else {
        phase = Phase::Listing;
        session.scheduler().startTestListRead();
    }
    if (!status)
        loop.exec();
    session.stop();
    return *status;
}

void HeadlessMeter::setStatusText(StatusPanel panel, const QString &text)
{
    panels[int(panel)] = text;
    if (phase == Phase::SettingClock && panel == StatusPanel::Activity && text == PollScheduler::noReplyNotice)
        fail(QStringLiteral("O relógio não foi ajustado: sem resposta do medidor."));
}

void HeadlessMeter::showMessage(const QString &text, const QString &)
{
    if (phase == Phase::SettingClock && text == clockSetText) {
        tell(text);
        finish(0);
    }
}

void HeadlessMeter::showTest(int testNumber, int done, int total)
{
    testShown = testNumber;
    tell(QStringLiteral("Baixando o teste %1 (%2 de %3)").arg(testNumber).arg(done).arg(total));
}

void HeadlessMeter::showRecords(int records, int recordCount)
{
    tell(QStringLiteral("Teste %1: %2 de %3 registros").arg(testShown).arg(records).arg(recordCount));
}

void HeadlessMeter::downloadsEnded(const QString &summary, bool whole)
{
    tell(summary);
    finish(whole ? 0 : 1);
}

void HeadlessMeter::setDownloadProgress(int maximum, int position)
{
    if (phase == Phase::Downloading)
        tell(QStringLiteral("Teste %1: %2 de %3 registros").arg(line.testNumber).arg(position).arg(maximum));
}

// Every sequence unlocks the unit menu when it ends, whole or not; what it
// left in panel 2 is read once the step that ended it has returned.
void HeadlessMeter::setUnitMenuEnabled(bool enabled)
{
    if (enabled && phase == Phase::Listing)
        QMetaObject::invokeMethod(
            &context, [this] { sequenceEnded(); }, Qt::QueuedConnection);
}

void HeadlessMeter::sequenceEnded()
{
    if (status || state.sequenceActive)
        return;
    if (phase == Phase::Listing)
        listEnded();
}

void HeadlessMeter::listEnded()
{
    if (panels[int(StatusPanel::Activity)] != PollScheduler::finishedNotice)
        return fail(panels[int(StatusPanel::Activity)]);
    if (line.action == CommandLine::Action::ListTests) {
        for (int i = 0; i < recordCounts.size(); ++i)
            out << QStringLiteral("Teste %1: %2 registros\n").arg(i + 1).arg(recordCounts[i]);
        if (memoryTotal && memoryFree)
            out << QStringLiteral("Memória: %1 livres de %2\n").arg(*memoryFree).arg(*memoryTotal);
        out.flush();
        return finish(0);
    }
    if (line.testNumber > recordCounts.size())
        return fail(
            QStringLiteral("O medidor tem %1 testes: não há teste %2.").arg(recordCounts.size()).arg(line.testNumber));
    phase = Phase::Downloading;
    std::unique_ptr<ArchivedDownload> kept;
    if (archive)
        kept = archive->beginDownload({QStringLiteral("COM%1").arg(state.portNumber), line.testNumber,
                                       recordCounts[line.testNumber - 1], QDateTime::currentDateTime()},
                                      viewer);
    download.start(line.testNumber - 1, {}, std::move(kept), &context, &viewer,
                   [this](DownloadEnd) { downloadEnded(); });
}

void HeadlessMeter::downloadEnded()
{
    // " (interrompido)" or " (incompleto)": panel 2 says where and why.
    if (viewer.caption.contains(QLatin1Char('(')))
        return fail(panels[int(StatusPanel::Activity)]);
    try {
        saveTestFile(line.outputFile, viewer.header, viewer.table);
    } catch (const AppError &e) {
        return fail(e.message());
    }
    tell(QStringLiteral("Teste %1 gravado em %2: %3 registros.")
             .arg(QString::number(line.testNumber), line.outputFile, QString::number(state.recordIndex)));
    finish(0);
}

void HeadlessMeter::tell(const QString &text)
{
    err << text << '\n';
    err.flush();
}

void HeadlessMeter::finish(int exitStatus)
{
    if (status)
        return;
    status = exitStatus;
    loop.exit(exitStatus);
}

} // namespace

int runMeterCommand(const CommandLine &line, QTextStream &out, QTextStream &err, std::shared_ptr<ComPlatform> platform,
                    TestArchive *archive)
{
    std::unique_ptr<TestArchive> library;
    const bool downloads =
        line.action == CommandLine::Action::DownloadTest || line.action == CommandLine::Action::DownloadAll;
    if (!archive && downloads) {
        QString problem;
        library = openLibraryArchive(problem);
        archive = library.get();
        if (!archive) {
            err << problem << '\n';
            err.flush();
            if (line.action == CommandLine::Action::DownloadAll)
                return 1;
        }
    }
    HeadlessMeter meter(line, out, err, std::move(platform), archive);
    return meter.run();
}
