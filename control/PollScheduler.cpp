#include "control/PollScheduler.h"

#include "link/CommandSender.h"
#include "link/Commands.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"

void PollScheduler::Timer1Timer()
{
    watchReply();
    sendQueued();
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
    writeFailed = false;
    sequenceStep();
    if (writeFailed)
        interruptSequence(step, Cause::Disconnected);
    else if (!s.readyToSend)
        requestSent(step);
}

void PollScheduler::send(const QByteArray &command)
{
    if (!sender.sendCommand(command))
        writeFailed = true;
}

// A command whose turn comes at the caller's request is told at once, inside
// the caller; one that waited is told from the event loop, so that a box it
// opens never holds up the tick or the parser that freed the line.
bool PollScheduler::sendQueued(bool tellAtOnce)
{
    while (s.readyToSend && !queued.empty()) {
        Queued next = std::move(queued.front());
        queued.pop_front();
        ++stepEpoch;
        const bool written = sender.sendCommand(next.command());
        if (written)
            requestSent(noStep);
        if (next.written) {
            if (tellAtOnce)
                next.written(written);
            else
                host.postStep(&earlyStepContext, [tell = std::move(next.written), written] { tell(written); });
        }
        if (written)
            return true;
    }
    return false;
}

void PollScheduler::sendWhenFree(std::function<QByteArray()> command, Written written)
{
    queued.push_back({std::move(command), std::move(written)});
    if (s.readyToSend && queued.size() == 1)
        sendQueued(true);
    else
        host.setPollInterval(IntervalWaiting); // to notice the reply's time-out in time
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
        if (host.statusText(StatusPanel::Activity) == noReplyNotice)
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
    freeLine(s);
    if (!noReplyShown) {
        activityBeforeNotice = host.statusText(StatusPanel::Activity);
        noReplyShown = true;
    }
    host.setStatusText(StatusPanel::Activity, noReplyNotice);
    if (step == noStep || !s.sequenceActive)
        return;
    if (retries < maxRetries) {
        ++retries;
        ++stepEpoch;
        s.downloadStep = step; // the same request again, at once
    } else {
        interruptSequence(step, Cause::NoReply);
    }
}

void PollScheduler::tellEnded(Ended how)
{
    if (WhenEnded tell = std::exchange(whenEnded, {}))
        host.postStep(&earlyStepContext, [tell = std::move(tell), how] { tell(how); });
}

void PollScheduler::endSequence(Ended how)
{
    if (s.sequenceActive)
        tellEnded(how);
    ++stepEpoch;
    retries = 0;
    s.sequenceActive = false;
    // The reply still awaited answers a request of the sequence that ended.
    if (!s.readyToSend && pendingStep != noStep)
        s.replyDiscarded = true;
    pendingStep = noStep;
}

// The sequence ends where its request went unanswered or could not be
// written; what has arrived stays (the tree's nodes, the viewer's records)
// and can be read again.
void PollScheduler::interruptSequence(int32_t step, Cause cause)
{
    endSequence(Ended::Interrupted);
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
    const QString why =
        cause == Cause::NoReply ? QStringLiteral("sem resposta do medidor") : QStringLiteral("medidor desconectado");
    host.setStatusText(StatusPanel::Activity, QStringLiteral("Leitura interrompida %1: %2.").arg(where, why));
}

void PollScheduler::startSequence(Step firstStep)
{
    endSequence();
    finishText = finishedNotice;
    s.downloadStep = firstStep;
    s.sequenceActive = true;
    host.setPollInterval(IntervalWaiting);
}

void PollScheduler::stopSequence()
{
    if (s.sequenceActive)
        endSequence();
}

bool PollScheduler::testListReadRunning() const
{
    return s.sequenceActive && ((s.downloadStep >= TestList && s.downloadStep <= TestListNode) ||
                                s.downloadStep == MemoryUse || s.downloadStep == MemoryUseRead);
}

void PollScheduler::cancelTestListRead()
{
    if (!testListReadRunning())
        return;
    endSequence();
    host.setUnitMenuEnabled(true);
    host.setStatusText(StatusPanel::Activity, QStringLiteral("Leitura cancelada."));
}

void PollScheduler::memoryErased()
{
    host.clearTestTree();
    s.testCount = 0;
    host.setTestCountText(QStringLiteral("0"));
    startTestListRead();
}

void PollScheduler::startTestListRead(WhenEnded then)
{
    host.setDownloadPosition(0);
    host.setUnitMenuEnabled(false);
    startSequence(TestList);
    whenEnded = std::move(then);
    host.setStatusText(StatusPanel::Activity, QStringLiteral("Lendo ..."));
}

void PollScheduler::startDownload(int testIndex, RecordRange records, WhenEnded then)
{
    host.setDownloadPosition(0);
    s.testIndex = testIndex;
    // The new viewer holds nothing yet: no count of an earlier download may
    // reach its caption.
    s.recordIndex = 0;
    s.recordCount = 0;
    s.recordsOutOfOrder = 0;
    s.lastRegisterNumber = -1;
    // A parser in the middle of the reply still awaited is left to finish it.
    if (s.readyToSend) {
        s.replyState = ReplyParser::Idle;
        s.replyField.clear();
    }
    startSequence(Download);
    range = records;
    whenEnded = std::move(then);
}

void PollScheduler::replyCompleted()
{
    if (!s.sequenceActive && queued.empty())
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
    if (!s.readyToSend || sendQueued())
        return;
    if (s.sequenceActive && !host.liveReadingsPageShown())
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
        const bool idle = s.readyToSend && !s.sequenceActive && queued.empty();
        host.setPollInterval(idle ? IntervalIdle : IntervalWaiting);
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
        // A new read starts from nothing: no count of an earlier one shows.
        s.testCount = 0;
        listed.clear();
        send(Command::testCount());
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
        send(Command::recordCount(s.testIndex));
        s.downloadStep = TestListNode;
        break;
    case TestListNode:
        host.addTestNode(QStringLiteral("Teste %1 -> Registros = %2").arg(s.testIndex + 1).arg(s.recordCount));
        if (s.testIndex < s.testCount) // not the one node of a meter without tests
            listed << s.recordCount;
        s.testIndex += 1;
        s.downloadStep = s.testIndex < s.testCount ? TestListRecords : MemoryUse;
        break;

    // One-test download
    case Download:
        send(Command::recordCount(s.testIndex));
        s.downloadStep = DownloadHeader;
        break;
    case DownloadHeader:
        send(Command::testHeader(s.testIndex));
        s.recordIndex = qBound(0, range.first, s.recordCount);
        s.downloadStep = DownloadRecord;
        break;
    case DownloadRecord:
        host.setDownloadProgress(s.recordCount, s.recordIndex);
        if (s.recordIndex < qMin(s.recordCount, range.end)) {
            send(Command::recordSelect(s.recordIndex));
            s.downloadStep = DownloadFetch;
        } else {
            finishDownload();
            s.downloadStep = Finish;
        }
        break;
    case DownloadFetch:
        send(Command::storedRecord());
        s.downloadStep = DownloadRecord;
        break;

    // Memory use, the end of the test-list read
    case MemoryUse:
        send(Command::memoryUse());
        s.downloadStep = MemoryUseRead;
        break;
    case MemoryUseRead: s.downloadStep = Finish; break;

    // Sample-rate query
    case SampleRate:
        send(Command::sampleRate());
        s.downloadStep = SampleRateUnit;
        break;
    case SampleRateUnit:
        send(Command::sampleRateUnit());
        s.downloadStep = Finish;
        break;

    case Finish:
        tellEnded(Ended::Finished);
        s.sequenceActive = false;
        host.setUnitMenuEnabled(true);
        host.setStatusText(StatusPanel::Activity, finishText);
        break;

    default: break; // a step no sequence has: nothing to do
    }
}

// Every record has come, each in its own row. A download whose register
// numbers did not go upwards holds a record twice or out of order: it is not
// what the meter holds, and says so.
void PollScheduler::finishDownload()
{
    if (s.recordsOutOfOrder == 0) {
        viewer.get().appendViewerCaption(QStringLiteral(" - %1 Registros").arg(s.recordIndex));
        return;
    }
    viewer.get().appendViewerCaption(QStringLiteral(" - %1 Registros (incompleto)").arg(s.recordIndex));
    finishText = QStringLiteral("Leitura incompleta: %1 registros recebidos, %2 repetidos ou fora de ordem.")
                     .arg(s.recordIndex)
                     .arg(s.recordsOutOfOrder);
}
