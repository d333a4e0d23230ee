#pragma once
// What the meter holds, as the library flows recognise it: the test list
// ("Ler Testes", which also fills the tree, "Realizados" and the memory
// gauge), then the first and the last record of every test that has records,
// each read with the download's own requests ("@R" n, "@t" n, "@r" j, "@A").
// done gets the tests, or nothing when a read did not end whole (panel 2 says
// where and why) or the survey was cancelled.

#include "control/ArchivedRun.h"
#include "control/TestArchive.h"

#include <QList>

#include <functional>
#include <optional>

class MeterSurvey {
public:
    using Done = std::function<void(std::optional<QList<MeterTest>>)>;

    MeterSurvey(PollScheduler &scheduler, ViewerSlot &slot) : scheduler(scheduler), probe(scheduler, slot) {}

    void start(Done done);
    void cancel();
    bool running() const { return bool(done); }

private:
    void listRead(PollScheduler::Ended how);
    // The next record to read back, or the end of the survey.
    void next();
    void finish(std::optional<QList<MeterTest>> tests);

    PollScheduler &scheduler;
    ArchivedRun probe;
    Done done;
    QList<MeterTest> tests;
    int at = 0;         // the test being read back
    bool last = false;  // its last record is next
    int generation = 0; // a list read cancelled does not go on
};
