#pragma once
// "Apagar memória" that loses nothing unknowingly. After the password gate,
// the meter's tests are read (MeterSurvey); when some of them (with records)
// are not kept complete in the library, the operator is asked first:
//   "3 testes ainda não foram baixados: Teste 2, Teste 4, Teste 5.
//    Apagar mesmo assim?"   [Baixar todos] [Apagar] [Cancelar]
// "Baixar todos" downloads them into the library and erases only when every
// one came whole; "Apagar" erases; "Cancelar" sends nothing. A meter whose
// tests cannot be read is not erased. The erase itself is the one of
// ProtectedCommands (the same "@X", "Memória apagada..."), and afterwards the
// list is read again: the tree, "Realizados" and the memory gauge show the
// empty meter.

#include "control/DownloadAll.h"
#include "control/MeterSurvey.h"
#include "control/PasswordGate.h"
#include "control/ProtectedCommands.h"

class EraseQuestion {
public:
    enum class Answer { DownloadAll, Erase, Cancel };
    virtual ~EraseQuestion() = default;
    virtual Answer askBeforeErasing(const QString &question) = 0;
};

class SafeErase {
public:
    SafeErase(SharedState &state, PollScheduler &scheduler, ViewerSlot &slot, TestArchive &archive,
              LibraryDownloadView &downloads)
        : state(state)
        , scheduler(scheduler)
        , archive(archive)
        , survey(scheduler, slot)
        , downloadAll(state, scheduler, slot, archive, downloads)
    {
    }

    // False when the password was refused. tell: the outcome, as eraseMemory
    // tells it; question: asked only when tests would be lost.
    bool start(PasswordPrompt &prompt, EraseQuestion &question, Tell tell);
    bool running() const { return survey.running() || downloadAll.running(); }
    // Ends the reading or the downloads before the erase: nothing is erased.
    void cancel();

    // "3 testes ainda não foram baixados: Teste 2, Teste 4, Teste 5. Apagar mesmo assim?"
    static QString questionText(const QList<int> &testNumbers);

private:
    void surveyed(std::optional<QList<MeterTest>> tests, EraseQuestion &question);
    void erase();

    SharedState &state;
    PollScheduler &scheduler;
    TestArchive &archive;
    MeterSurvey survey;
    DownloadAll downloadAll;
    Tell tell;
};
