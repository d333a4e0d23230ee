#pragma once
// Timer1's work: on every tick, the next live request, the next step of the
// request sequence in progress, and the refresh of the live display. A request
// goes out only when the previous one has been answered (readyToSend).
//
// A request that has had no complete reply for replyTimeoutMs is given up at
// the next tick: the parser goes back to its idle state, the link is free
// again and panel 2 says "Sem resposta do medidor" until a reply completes
// (then it shows again what it showed before). Live polling goes on with the
// next request of its cycle. A sequence sends the request again, up to
// maxRetries times; then it ends and panel 2 (and for a download the viewer's
// caption) says where it stopped. A meter that answers in time sees exactly
// the requests it would see without the time-out.
//
// Only the reply a request waits for frees the line (link/ReplyTurn.h).
// Nothing forces the line free: a sequence started, or a command of a menu or
// a dialog given (sendWhenFree), while a reply is awaited waits for it or its
// time-out. A sequence whose request cannot be written (the port closed or
// gone) ends at once, with what it has received: a download's caption says
// " (interrompido)", a test-list read keeps only the nodes of this read. A
// download whose records are not numbered upwards (one repeated or out of
// order) ends with " (incompleto)" instead of the plain count.
//
// While no sequence runs, no reply is awaited and the live page is not shown,
// Timer1 sleeps (IntervalIdle): an idle client does not wake every 10 ms.
//
// A sequence does not wait for Timer1 when it need not: when the reply that
// its step waits for has just completed, the next step runs as soon as the
// parser has returned (replyCompleted), so a download is paced by the line
// rather than by the 10 ms tick. The requests, their order and their bytes are
// those the ticks would send; live polling keeps its own rhythm.

#include "control/CommandQueue.h"
#include "control/SchedulerHost.h"
#include "core/SharedState.h"
#include "core/WindowSlots.h"

#include <QByteArrayView>
#include <QList>
#include <QObject>

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>

class CommandSender;
class ReplyParser;

// The records a download asks for: from first up to (not including) end,
// clipped to the test's record count. Rows and the caption's count go on
// from first, so a download that resumes at record k fills row k + 1 on.
struct DownloadRange {
    int first = 0;
    int end = std::numeric_limits<int>::max();
};

class PollScheduler : public CommandQueue {
public:
    // The steps of the three request sequences (SharedState::downloadStep),
    // with the numbers traces and tests show.
    enum Step : int32_t {
        TestList = 0,        // "@T": the number of stored tests
        TestListCount = 1,   // shows the count, starts at test 0
        TestListRecords = 2, // "@R n": the record count of test n
        TestListNode = 3,    // its tree node; next test or the memory use
        Download = 10,       // "@R n" of the test to download
        DownloadHeader = 11, // "@t n"
        DownloadRecord = 12, // "@r i" of the next record, or the end
        DownloadFetch = 13,  // "@A": the selected record
        MemoryUse = 20,      // "@F"
        MemoryUseRead = 21,
        SampleRate = 40,     // "@I"
        SampleRateUnit = 41, // "@u"
        Finish = 100,        // ends the sequence, unlocks the unit menu
    };

    // How a sequence ended, for the one who started it: every step run
    // (Finished; a download's caption says whether it came whole), a request
    // unanswered or unwritten (Interrupted), or stopped, cancelled or replaced
    // by another sequence (Stopped).
    enum class Ended { Finished, Interrupted, Stopped };
    using WhenEnded = std::function<void(Ended)>;

    using RecordRange = DownloadRange;

    enum Interval : int { IntervalAtStart = 100, IntervalPolling = 1000, IntervalWaiting = 10, IntervalIdle = 500 };

    // How often a sequence sends a timed-out request again before it ends.
    static constexpr int maxRetries = 3;
    // Panel 2 while a request has gone unanswered past the time-out.
    static inline const QString noReplyNotice = QStringLiteral("Sem resposta do medidor");
    // Panel 2 once a sequence has ended whole.
    static inline const QString finishedNotice = QStringLiteral("Leitura finalizada.");

    PollScheduler(SharedState &state, SchedulerHost &host, CommandSender &sender, ViewerSlot &viewer)
        : s(state)
        , host(host)
        , sender(sender)
        , viewer(viewer)
    {
    }

    void Timer1Timer();

    // Starts a sequence at its first step; an earlier one in progress is
    // abandoned (the reply its request still awaits will fill nothing). The
    // first request goes out once the line is free.
    void startSequence(Step firstStep);

    // Ends the sequence in progress (its viewer was closed, or the operator
    // cancelled it); what it has received stays. The reply its request still
    // awaits frees the line when it comes and fills nothing.
    void stopSequence();

    // "Cancelar" of a test-list read: ends it with the nodes read so far, the
    // unit menu unlocked, panel 2 "Leitura cancelada.". Nothing while no
    // test-list read runs.
    void cancelTestListRead();

    // The meter's memory has been erased: the tree and the test count show
    // the empty meter at once, and the list is read again (for the memory
    // gauge), never leaving an erased test to be double-clicked.
    void memoryErased();
    bool testListReadRunning() const;

    // CommandQueue: the command goes out before the next live or sequence
    // request, once the line is free.
    void sendWhenFree(std::function<QByteArray()> command, Written written = {}) override;
    using CommandQueue::sendWhenFree;

    // "Ler Testes": the list of stored tests, their record counts and the
    // memory use, with the unit menu locked until the read ends; whenEnded
    // as for startDownload.
    void startTestListRead(WhenEnded whenEnded = {});
    // The record counts of the tests the last test-list read listed, from
    // test 1 (none for a meter without tests, though its tree shows a node).
    const QList<int> &listedRecordCounts() const { return listed; }

    // The download of stored test testIndex into the viewer (opened by the
    // caller): progress bar at 0, no record counted yet, then "@R", "@t" and
    // a "@r"/"@A" pair per record of `records` from step Download. whenEnded
    // is told, from the event loop, how the sequence ended.
    void startDownload(int testIndex, RecordRange records = {}, WhenEnded whenEnded = {});

    // The link has just been freed by a received reply (readyToSend went from
    // false to true while the parser read it). If a sequence is in progress,
    // its next step is queued to run once control is back in the event loop,
    // never inside the parser. It runs only if it would have run at the next
    // tick anyway: readyToSend still set, the sequence still active, the
    // "Medições" page (whose live request takes the link first) not shown,
    // and no step run nor sequence started meanwhile.
    void replyCompleted();

    // The road of received bytes: hands them to the reply parser and calls
    // replyCompleted() when they complete the reply the link was waiting for.
    void received(ReplyParser &parser, char ch);
    void received(ReplyParser &parser, QByteArrayView bytes);

private:
    enum class Cause { NoReply, Disconnected };
    struct Queued {
        std::function<QByteArray()> command;
        Written written;
    };

    void livePolling();
    // Sends the queued commands whose turn has come; true when one of them
    // took the line.
    bool sendQueued(bool tellAtOnce = false);
    // Sends one request of a sequence step; a failed write is noted for
    // runSequenceStep.
    void send(const QByteArray &command);
    void sequenceStep();
    void finishDownload();
    // sequenceStep, noting the request it sent for the time-out.
    void runSequenceStep();
    void requestSent(int32_t step);
    void watchReply();
    void replyArrived();
    void replyTimedOut();
    void interruptSequence(int32_t step, Cause cause);
    void runEarlyStep(uint64_t epochWhenQueued);
    void endSequence(Ended how = Ended::Stopped);
    // Hands the sequence's end to whoever waits for it, from the event loop.
    void tellEnded(Ended how);

    SharedState &s;
    SchedulerHost &host;
    CommandSender &sender;
    ViewerSlot &viewer;

    // Changes whenever a step runs (by a tick or early) or a sequence starts:
    // a queued early step runs only if it has not changed since.
    uint64_t stepEpoch = 0;
    // Receives the queued early step; destroyed with the scheduler, which
    // drops a step still queued.
    QObject earlyStepContext;

    // The request awaited: since when, and the sequence step that sent it
    // (noStep for a live request or one sent by a dialog or a menu).
    static constexpr int32_t noStep = -1;
    std::optional<int64_t> waitingSince;
    int32_t pendingStep = noStep;
    int retries = 0;              // of the step awaited, since its last reply
    bool noReplyShown = false;    // panel 2 shows the time-out's notice
    QString activityBeforeNotice; // what panel 2 showed before it
    bool writeFailed = false;     // the step being run could not write its request
    QString finishText;           // panel 2 at the end of the sequence in progress
    std::deque<Queued> queued;    // commands of menus and dialogs waiting for the line
    RecordRange range;            // of the download in progress
    WhenEnded whenEnded;          // of the sequence in progress
    QList<int> listed;            // record counts of the last test-list read
};
