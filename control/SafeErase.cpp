#include "control/SafeErase.h"

#include "link/Commands.h"

QString SafeErase::questionText(const QList<int> &numbers)
{
    QStringList names;
    for (int n : numbers)
        names << QStringLiteral("Teste %1").arg(n);
    const QString which = names.join(QStringLiteral(", "));
    if (numbers.size() == 1)
        return QStringLiteral("1 teste ainda não foi baixado: %1. Apagar mesmo assim?").arg(which);
    return QStringLiteral("%1 testes ainda não foram baixados: %2. Apagar mesmo assim?").arg(numbers.size()).arg(which);
}

bool SafeErase::start(PasswordPrompt &prompt, EraseQuestion &question, Tell told)
{
    if (running() || !passwordGate(Protected::EraseMemory, state.userPassword, prompt))
        return false;
    tell = std::move(told);
    survey.start([this, &question](std::optional<QList<MeterTest>> tests) { surveyed(std::move(tests), question); });
    return true;
}

void SafeErase::surveyed(std::optional<QList<MeterTest>> tests, EraseQuestion &question)
{
    if (!tests)
        return tell(QStringLiteral("A memória não foi apagada: não foi possível ler os testes do medidor."));
    QList<int> missing;
    for (const MeterTest &test : *tests)
        if (test.recordCount > 0 && !archive.holdsComplete(test))
            missing << test.number;
    if (missing.isEmpty())
        return erase();
    switch (question.askBeforeErasing(questionText(missing))) {
    case EraseQuestion::Answer::Erase: return erase();
    case EraseQuestion::Answer::Cancel: return;
    case EraseQuestion::Answer::DownloadAll:
        downloadAll.start([this](const DownloadAll::Summary &summary) {
            if (summary.failure.isEmpty() && !summary.cancelled && summary.incomplete == 0)
                erase();
            else
                tell(QStringLiteral("A memória não foi apagada: nem todos os testes foram baixados."));
        });
        return;
    }
}

void SafeErase::cancel()
{
    survey.cancel();
    downloadAll.cancel();
}

void SafeErase::erase()
{
    scheduler.sendWhenFree(Command::eraseMemory(), tellWhenWritten(QStringLiteral("Memória apagada..."), tell,
                                                                   [this] { scheduler.memoryErased(); }));
}
