#include "control/DownloadAll.h"

#include <QDateTime>

void DownloadAll::start(std::function<void(const Summary &)> whenDone)
{
    cancel();
    active = true;
    done = std::move(whenDone);
    summary = Summary();
    toDownload.clear();
    at = 0;
    clock.start();
    view.showActivity(QStringLiteral("Lendo os testes do medidor..."));
    survey.start([this](std::optional<QList<MeterTest>> tests) { surveyed(std::move(tests)); });
}

void DownloadAll::cancel()
{
    if (!active)
        return;
    summary.cancelled = true;
    survey.cancel(); // finishes through surveyed() when it ran
    if (active && run.running())
        run.stop(); // finishes through the run's end
    if (active)
        finish();
}

void DownloadAll::surveyed(std::optional<QList<MeterTest>> tests)
{
    if (!active)
        return;
    if (!tests) {
        if (!summary.cancelled)
            summary.failure = QStringLiteral("Não foi possível ler os testes do medidor.");
        return finish();
    }
    for (const MeterTest &test : *tests) {
        if (test.recordCount == 0)
            continue;
        if (archive.holdsComplete(test))
            ++summary.skipped;
        else
            toDownload.append(test);
    }
    downloadNext();
}

void DownloadAll::downloadNext()
{
    if (at >= toDownload.size())
        return finish();
    const MeterTest &test = toDownload[at];
    view.showTest(test.number, at + 1, int(toDownload.size()));
    view.showRecords(0, test.recordCount);
    const DownloadOrigin origin{QStringLiteral("COM%1").arg(state.portNumber), test.number, test.recordCount,
                                QDateTime::currentDateTime()};
    std::unique_ptr<ArchivedDownload> kept = archive.beginDownload(origin, nowhere);
    if (!kept) {
        summary.failure = QStringLiteral("O teste %1 não foi baixado: %2").arg(test.number).arg(archive.problem());
        return finish();
    }
    run.tap.onRecords = [this, count = test.recordCount](int records) { view.showRecords(records, count); };
    run.start(test.number - 1, {}, std::move(kept), nullptr, nullptr, [this, number = test.number](DownloadEnd how) {
        summary.records += run.tap.records;
        if (how == DownloadEnd::Interrupted) {
            if (!summary.cancelled)
                summary.failure = QStringLiteral("O teste %1 não veio inteiro (interrompido).").arg(number);
            return finish();
        }
        ++summary.downloaded;
        if (how == DownloadEnd::Incomplete)
            ++summary.incomplete;
        ++at;
        downloadNext();
    });
}

void DownloadAll::finish()
{
    if (!active)
        return;
    active = false;
    run.tap.onRecords = nullptr;
    summary.elapsedMs = clock.elapsed();
    view.downloadsEnded(summaryText(summary), summary.failure.isEmpty() && !summary.cancelled);
    if (auto tell = std::exchange(done, {}))
        tell(summary);
}

QString summaryText(const DownloadAll::Summary &s)
{
    QString text;
    if (!s.failure.isEmpty())
        text = s.failure + QLatin1Char('\n');
    else if (s.cancelled)
        text = QStringLiteral("Baixar todos cancelado.\n");
    text +=
        s.downloaded == 1 ? QStringLiteral("1 teste baixado") : QStringLiteral("%1 testes baixados").arg(s.downloaded);
    text += QStringLiteral(" (%1 registros)").arg(s.records);
    if (s.incomplete > 0)
        text += QStringLiteral(", %1 incompleto(s)").arg(s.incomplete);
    text += s.skipped == 1 ? QStringLiteral(", 1 já estava na biblioteca")
                           : QStringLiteral(", %1 já estavam na biblioteca").arg(s.skipped);
    text += QStringLiteral("; %1 s.").arg(QString::number(s.elapsedMs / 1000.0, 'f', 1).replace('.', ','));
    return text;
}
