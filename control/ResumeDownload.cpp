#include "control/ResumeDownload.h"

#include <QDateTime>

QString ResumeDownload::changedText(int testNumber)
{
    return QStringLiteral("O teste %1 do medidor mudou: ele será baixado como um teste novo.").arg(testNumber);
}

void ResumeDownload::start(qint64 testId)
{
    cancel();
    const std::optional<InterruptedTest> found = archive.interruptedTest(testId);
    active = true;
    told.clear();
    if (!found)
        return finish(archive.problem().isEmpty()
                          ? QStringLiteral("Este teste não foi interrompido: não há o que continuar.")
                          : archive.problem(),
                      false);
    test = *found;
    view.showTest(test.origin.testNumber, 1, 1);
    view.showActivity(QStringLiteral("Conferindo o teste %1 no medidor...").arg(test.origin.testNumber));
    readBack(Step::FirstKept);
}

void ResumeDownload::cancel()
{
    if (!active)
        return;
    if (run.running())
        run.stop(); // ends through the run's end
    if (active)
        finish(QStringLiteral("Continuar download cancelado."), false);
}

// The first and the last record kept, read back from the meter; a test that
// kept nothing has nothing to compare but its record count.
void ResumeDownload::readBack(Step step)
{
    const int record = step == Step::FirstKept ? 0 : test.keptRecords - 1;
    run.tap.onRecords = nullptr;
    run.start(
        test.origin.testNumber - 1, {record, qMax(record + 1, 1)}, nullptr, nullptr, nullptr,
        [this, step](DownloadEnd how) { readBackEnded(step, how); }, true);
}

void ResumeDownload::readBackEnded(Step step, DownloadEnd how)
{
    if (!active)
        return;
    if (how == DownloadEnd::Interrupted)
        return finish(QStringLiteral("O teste %1 não pôde ser lido no medidor: ele parou de responder.")
                          .arg(test.origin.testNumber),
                      false);
    meterRecords = state.recordCount;
    if (meterRecords == 0)
        return finish(QStringLiteral("O medidor não tem mais o teste %1.").arg(test.origin.testNumber), false);
    const RecordTexts &expected = step == Step::FirstKept ? test.first : test.lastKept;
    const bool same = meterRecords == test.origin.recordCount && (test.keptRecords == 0 || run.tap.lastRow == expected);
    if (!same)
        return downloadAsNew();
    if (step == Step::FirstKept && test.keptRecords > 1)
        return readBack(Step::LastKept);
    continueInPlace();
}

void ResumeDownload::continueInPlace()
{
    view.showActivity(QStringLiteral("Continuando o teste %1 do registro %2...")
                          .arg(test.origin.testNumber)
                          .arg(test.keptRecords + 1));
    download({test.keptRecords}, archive.continueDownload(test.id, nowhere), meterRecords);
}

void ResumeDownload::downloadAsNew()
{
    told = changedText(test.origin.testNumber);
    view.showActivity(told);
    DownloadOrigin origin = test.origin;
    origin.recordCount = meterRecords;
    origin.moment = QDateTime::currentDateTime();
    download({}, archive.beginDownload(origin, nowhere), meterRecords);
}

void ResumeDownload::download(PollScheduler::RecordRange records, std::unique_ptr<ArchivedDownload> kept,
                              int recordCount)
{
    if (!kept)
        return finish(told.isEmpty() ? archive.problem() : told + QLatin1Char('\n') + archive.problem(), false);
    view.showRecords(records.first, recordCount);
    run.tap.onRecords = [this, recordCount](int n) { view.showRecords(n, recordCount); };
    run.start(test.origin.testNumber - 1, records, std::move(kept), nullptr, nullptr, [this](DownloadEnd how) {
        if (!active)
            return;
        const QString prefix = told.isEmpty() ? QString() : told + QLatin1Char('\n');
        if (how == DownloadEnd::Interrupted)
            return finish(prefix + QStringLiteral("O teste %1 parou de novo no registro %2 (interrompido).")
                                       .arg(test.origin.testNumber)
                                       .arg(run.tap.records),
                          false);
        finish(prefix + QStringLiteral("Teste %1 completo: %2 registros%3.")
                            .arg(test.origin.testNumber)
                            .arg(run.tap.records)
                            .arg(how == DownloadEnd::Incomplete ? QStringLiteral(" (incompleto)") : QString()),
               how == DownloadEnd::Complete);
    });
}

void ResumeDownload::finish(const QString &text, bool whole)
{
    if (!active)
        return;
    active = false;
    run.tap.onRecords = nullptr;
    view.downloadsEnded(text, whole);
}
