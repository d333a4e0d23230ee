#include "link/PollScheduler.h"

#include "link/Commands.h"

void PollScheduler::Timer1Timer()
{
    livePolling();
    if (s.readyToSend && s.sequenceActive)
        sequenceStep();
    host.refreshLiveDisplay();
}

void PollScheduler::startSequence(int32_t firstStep)
{
    s.downloadStep = firstStep;
    s.sequenceActive = true;
    s.readyToSend = true;
}

void PollScheduler::startTestListRead()
{
    host.setDownloadPosition(0);
    s.readyToSend = true;
    host.setUnitMenuEnabled(false);
    startSequence(TestList);
    host.setStatusText(2, QStringLiteral("Lendo ..."));
}

void PollScheduler::livePolling()
{
    if (s.readyToSend && host.liveReadingsPageShown()) {
        host.resetTerminalScreen();
        host.setOptionsMenuEnabled(false);
        host.setPollInterval(IntervalPolling);
        host.sendCommand(Command::livePoll(s.pollIndex));
        if (++s.pollIndex > 2)
            s.pollIndex = 0;
    } else {
        host.setOptionsMenuEnabled(true);
        host.setPollInterval(IntervalWaiting);
    }
}

void PollScheduler::sequenceStep()
{
    switch (s.downloadStep) {
    // Test-list read
    case 0:
        host.resetTerminalScreen();
        host.clearTestTree();
        host.sendCommand(Command::testCount());
        s.downloadStep = 1;
        break;
    case 1:
        if (s.testCount > 0)
            host.showTestCount(s.testCount);
        s.testIndex = 0;
        s.recordIndex = 0;
        s.downloadStep = 2;
        break;
    case 2:
        host.sendCommand(Command::recordCount(s.testIndex));
        s.downloadStep = 3;
        break;
    case 3:
        host.addTestNode(QStringLiteral("Teste %1 -> Registros = %2").arg(s.testIndex + 1).arg(s.recordCount));
        s.testIndex += 1;
        s.downloadStep = s.testIndex < s.testCount ? 2 : MemoryUse;
        break;

    // One-test download
    case 10:
        host.sendCommand(Command::recordCount(s.testIndex));
        s.downloadStep = 11;
        break;
    case 11:
        host.sendCommand(Command::testHeader(s.testIndex));
        s.recordIndex = 0;
        s.downloadStep = 12;
        break;
    case 12:
        host.setDownloadProgress(s.recordCount, s.recordIndex);
        if (s.recordIndex < s.recordCount) {
            host.sendCommand(Command::recordSelect(s.recordIndex));
            s.downloadStep = 13;
        } else {
            host.appendViewerCaption(QStringLiteral(" - %1 Registros").arg(s.recordIndex));
            s.downloadStep = Finish;
        }
        break;
    case 13:
        host.sendCommand(Command::storedRecord());
        s.downloadStep = 12;
        break;

    // Memory use, the end of the test-list read
    case 20:
        host.sendCommand(Command::memoryUse());
        s.downloadStep = 21;
        break;
    case 21:
        s.downloadStep = Finish;
        break;

    // Sample-rate query
    case 40:
        host.sendCommand(Command::sampleRate());
        s.downloadStep = 41;
        break;
    case 41:
        host.sendCommand(Command::sampleRateUnit());
        s.downloadStep = Finish;
        break;

    case 100:
        s.sequenceActive = false;
        host.setUnitMenuEnabled(true);
        host.setStatusText(2, QStringLiteral("Leitura finalizada."));
        break;

    default:
        break; // a step no sequence has: nothing to do
    }
}
