#include "control/PollScheduler.h"

#include "link/CommandSender.h"
#include "link/Commands.h"
#include "link/ReplyParser.h"

namespace {

const QString noReplyText = QStringLiteral("Sem resposta do medidor");

} // namespace

void PollScheduler::Timer1Timer()
{
    watchReply();
    const bool wasReady = s.readyToSend;
    livePolling();
    if (wasReady && !s.readyToSend)
        requestSent(noStep);
    if (s.readyToSend && s.sequenceActive)
        runSequenceStep();
    refreshLiveDisplay(s, host);
}

void PollScheduler::runSequenceStep()
{
    const int32_t step = s.downloadStep;
    sequenceStep();
    if (!s.readyToSend)
        requestSent(step);
}

void PollScheduler::requestSent(int32_t step)
{
    waitingSince = host.monotonicMs();
    pendingStep = step;
}

// At every tick: a request sent by anyone starts the clock; one unanswered
// past the time-out is given up.
void PollScheduler::watchReply()
{
    if (s.readyToSend) {
        waitingSince.reset();
        return;
    }
    const int64_t now = host.monotonicMs();
    if (!waitingSince) {
        waitingSince = now; // sent by a dialog or a menu command
        pendingStep = noStep;
        return;
    }
    if (now - *waitingSince >= s.replyTimeoutMs)
        replyTimedOut();
}

void PollScheduler::replyArrived()
{
    waitingSince.reset();
    pendingStep = noStep;
    retries = 0;
    if (noReplyShown) {
        noReplyShown = false;
        if (host.statusText(StatusPanel::Activity) == noReplyText)
            host.setStatusText(StatusPanel::Activity, activityBeforeNotice);
    }
}

void PollScheduler::replyTimedOut()
{
    const int32_t step = pendingStep;
    waitingSince.reset();
    pendingStep = noStep;
    s.replyState = ReplyParser::Idle;
    s.replyField.clear();
    s.readyToSend = true;
    if (!noReplyShown) {
        activityBeforeNotice = host.statusText(StatusPanel::Activity);
        noReplyShown = true;
    }
    host.setStatusText(StatusPanel::Activity, noReplyText);
    if (step == noStep || !s.sequenceActive)
        return;
    if (retries < maxRetries) {
        ++retries;
        ++stepEpoch;
        s.downloadStep = step; // the same request again, at once
    } else {
        stopSequence(step);
    }
}

// The sequence ends where its request went unanswered; what has arrived
// stays (the tree's nodes, the viewer's records) and can be read again.
void PollScheduler::stopSequence(int32_t step)
{
    ++stepEpoch;
    retries = 0;
    s.sequenceActive = false;
    noReplyShown = false;
    host.setUnitMenuEnabled(true);
    QString where;
    switch (step) {
    case TestList: where = QStringLiteral("na contagem de testes"); break;
    case TestListRecords:
        where = QStringLiteral("no teste %1 de %2").arg(s.testIndex + 1).arg(qMax(s.testCount, 1));
        break;
    case MemoryUse: where = QStringLiteral("na memória"); break;
    case Download:
    case DownloadHeader: where = QStringLiteral("no cabeçalho do teste %1").arg(s.testIndex + 1); break;
    case DownloadRecord:
    case DownloadFetch: where = QStringLiteral("no registro %1 de %2").arg(s.recordIndex + 1).arg(s.recordCount); break;
    default: where = QStringLiteral("na taxa de amostragem"); break;
    }
    if (step == Download || step == DownloadHeader || step == DownloadRecord || step == DownloadFetch)
        viewer.get().appendViewerCaption(QStringLiteral(" - %1 Registros (interrompido)").arg(s.recordIndex));
    host.setStatusText(StatusPanel::Activity,
                       QStringLiteral("Leitura interrompida %1: sem resposta do medidor.").arg(where));
}

void PollScheduler::startSequence(Step firstStep)
{
    ++stepEpoch;
    retries = 0;
    pendingStep = noStep;
    waitingSince.reset();
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
    host.setStatusText(StatusPanel::Activity, QStringLiteral("Lendo ..."));
}

void PollScheduler::startDownload(int testIndex)
{
    host.setDownloadPosition(0);
    s.testIndex = testIndex;
    s.replyState = ReplyParser::Idle;
    startSequence(Download);
}

void PollScheduler::replyCompleted()
{
    if (!s.sequenceActive)
        return;
    const uint64_t queuedAt = stepEpoch;
    host.postStep(&earlyStepContext, [this, queuedAt] { runEarlyStep(queuedAt); });
}

void PollScheduler::received(ReplyParser &parser, char ch)
{
    const bool awaitingReply = !s.readyToSend;
    parser.feed(ch);
    if (awaitingReply && s.readyToSend) {
        replyArrived();
        replyCompleted();
    }
}

void PollScheduler::received(ReplyParser &parser, QByteArrayView bytes)
{
    for (char ch : bytes)
        received(parser, ch);
}

void PollScheduler::runEarlyStep(uint64_t epochWhenQueued)
{
    if (stepEpoch != epochWhenQueued)
        return; // a tick has run the step, or a new sequence began, meanwhile
    if (s.readyToSend && s.sequenceActive && !host.liveReadingsPageShown())
        runSequenceStep();
}

void PollScheduler::livePolling()
{
    if (s.readyToSend && host.liveReadingsPageShown()) {
        host.resetTerminalScreen();
        host.setOptionsMenuEnabled(false);
        host.setPollInterval(IntervalPolling);
        sender.sendCommand(Command::livePoll(s.pollIndex));
        if (++s.pollIndex > 2)
            s.pollIndex = 0;
    } else {
        host.setOptionsMenuEnabled(true);
        host.setPollInterval(IntervalWaiting);
    }
}

void PollScheduler::sequenceStep()
{
    ++stepEpoch;
    switch (s.downloadStep) {
    // Test-list read
    case TestList:
        host.resetTerminalScreen();
        host.clearTestTree();
        sender.sendCommand(Command::testCount());
        s.downloadStep = TestListCount;
        break;
    case TestListCount:
        if (s.testCount > 0)
            host.showTestCount(s.testCount);
        s.testIndex = 0;
        s.recordIndex = 0;
        s.downloadStep = TestListRecords;
        break;
    case TestListRecords:
        sender.sendCommand(Command::recordCount(s.testIndex));
        s.downloadStep = TestListNode;
        break;
    case TestListNode:
        host.addTestNode(QStringLiteral("Teste %1 -> Registros = %2").arg(s.testIndex + 1).arg(s.recordCount));
        s.testIndex += 1;
        s.downloadStep = s.testIndex < s.testCount ? TestListRecords : MemoryUse;
        break;

    // One-test download
    case Download:
        sender.sendCommand(Command::recordCount(s.testIndex));
        s.downloadStep = DownloadHeader;
        break;
    case DownloadHeader:
        sender.sendCommand(Command::testHeader(s.testIndex));
        s.recordIndex = 0;
        s.downloadStep = DownloadRecord;
        break;
    case DownloadRecord:
        host.setDownloadProgress(s.recordCount, s.recordIndex);
        if (s.recordIndex < s.recordCount) {
            sender.sendCommand(Command::recordSelect(s.recordIndex));
            s.downloadStep = DownloadFetch;
        } else {
            viewer.get().appendViewerCaption(QStringLiteral(" - %1 Registros").arg(s.recordIndex));
            s.downloadStep = Finish;
        }
        break;
    case DownloadFetch:
        sender.sendCommand(Command::storedRecord());
        s.downloadStep = DownloadRecord;
        break;

    // Memory use, the end of the test-list read
    case MemoryUse:
        sender.sendCommand(Command::memoryUse());
        s.downloadStep = MemoryUseRead;
        break;
    case MemoryUseRead: s.downloadStep = Finish; break;

    // Sample-rate query
    case SampleRate:
        sender.sendCommand(Command::sampleRate());
        s.downloadStep = SampleRateUnit;
        break;
    case SampleRateUnit:
        sender.sendCommand(Command::sampleRateUnit());
        s.downloadStep = Finish;
        break;

    case Finish:
        s.sequenceActive = false;
        host.setUnitMenuEnabled(true);
        host.setStatusText(StatusPanel::Activity, QStringLiteral("Leitura finalizada."));
        break;

    default: break; // a step no sequence has: nothing to do
    }
}
