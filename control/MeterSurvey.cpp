#include "control/MeterSurvey.h"

void MeterSurvey::start(Done whenDone)
{
    cancel();
    done = std::move(whenDone);
    tests.clear();
    const int run = ++generation;
    scheduler.startTestListRead([this, run](PollScheduler::Ended how) {
        if (run == generation)
            listRead(how);
    });
}

void MeterSurvey::cancel()
{
    if (!done)
        return;
    ++generation;
    probe.stop();
    scheduler.stopSequence();
    finish(std::nullopt);
}

void MeterSurvey::listRead(PollScheduler::Ended how)
{
    if (how != PollScheduler::Ended::Finished)
        return finish(std::nullopt);
    const QList<int> &counts = scheduler.listedRecordCounts();
    for (int i = 0; i < counts.size(); ++i)
        tests.append(MeterTest{i + 1, counts[i], {}, {}});
    at = 0;
    last = false;
    next();
}

void MeterSurvey::next()
{
    while (at < tests.size() && tests[at].recordCount == 0)
        ++at;
    if (at >= tests.size())
        return finish(tests);
    MeterTest &test = tests[at];
    const int record = last ? test.recordCount - 1 : 0;
    const int run = generation;
    probe.start(
        test.number - 1, {record, record + 1}, nullptr, nullptr, nullptr,
        [this, run](DownloadEnd how) {
            if (run != generation)
                return;
            if (how != DownloadEnd::Complete || probe.tap.lastRow.isEmpty())
                return finish(std::nullopt);
            MeterTest &read = tests[at];
            (last ? read.last : read.first) = probe.tap.lastRow;
            // A test of one record is read once: its first record is its last.
            if (!last && read.recordCount == 1)
                read.last = read.first;
            else if (!last) {
                last = true;
                return next();
            }
            last = false;
            ++at;
            next();
        },
        true);
}

void MeterSurvey::finish(std::optional<QList<MeterTest>> result)
{
    if (Done tell = std::exchange(done, {}))
        tell(std::move(result));
}
