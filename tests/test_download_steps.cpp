// The download's early step, offline: a scripted meter answers each request,
// the answer goes through the scheduler's received() into the real parser,
// and the test decides when ticks and queued events run. A sequence step runs
// once the reply it waits for has completed, after the parser has returned,
// with the very requests the ticks alone would send.
#include "control/PollScheduler.h"
#include "link/CommandSender.h"
#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The scheduler's side of the main window, and a meter behind sendCommand
// whose answers wait in `pending` until the test delivers them.
struct Harness : SchedulerHost, CommandSender {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    PollScheduler scheduler{state, *this, *this, sink.windows.viewer};

    bool livePage = false;
    QByteArrayList sent;
    QList<int> progress; // positions shown by VrProgressBar1
    QByteArray pending;
    int stepsPosted = 0;

    int selected = 0; // the record "@r" chose
    std::function<QByteArray(const QByteArray &)> meter = [this](const QByteArray &c) -> QByteArray {
        if (c.startsWith("@R"))
            return ":R3\r\n";
        if (c.startsWith("@r"))
            selected = c.mid(2).trimmed().toInt();
        if (c.startsWith("@t") || c.startsWith("@r"))
            return ":" + c.mid(1, 1) + "\r\n";
        if (c == "@A\r\n")
            return ":A01[000" + QByteArray::number(selected + 7) +
                   "]01/02/24 10:00:00 UMI=24.7\001SEC=26.1\001GLO=30.0\001C";
        if (c == "@T\r\n")
            return ":T2\r\n";
        if (c == "@F\r\n")
            return ":F MEM T2000L1500\r\n";
        if (c.startsWith("@M"))
            return ":W1D2G3\r\n";
        return {};
    };

    // Delivers the meter's pending answer, `chunk` bytes at a time (0: all).
    void deliver(int chunk = 0)
    {
        const QByteArray bytes = std::exchange(pending, {});
        const int step = chunk > 0 ? chunk : int(bytes.size());
        for (int at = 0; at < bytes.size(); at += step)
            scheduler.received(parser, bytes.mid(at, step));
    }
    static void runQueued() { QCoreApplication::sendPostedEvents(); }

    bool sendCommand(const QByteArray &c) override
    {
        takeLine(state, c);
        sent << c;
        pending += meter(c);
        return true;
    }
    void postStep(QObject *context, std::function<void()> work) override
    {
        ++stepsPosted;
        SchedulerHost::postStep(context, std::move(work));
    }
    bool liveReadingsPageShown() override { return livePage; }
    void resetTerminalScreen() override {}
    void setOptionsMenuEnabled(bool) override {}
    void setPollInterval(int) override {}
    void clearTestTree() override {}
    void showTestCount(int) override {}
    void addTestNode(const QString &) override {}
    void setDownloadProgress(int, int position) override { progress << position; }
    void setDownloadPosition(int position) override { progress << position; }
    void setUnitMenuEnabled(bool) override {}
    void setStatusText(StatusPanel, const QString &) override {}
    void setValueLabel(ValueLabel, const QString &) override {}
    void setGaugeValue(int, double) override {}
    void setTestCountText(const QString &) override {}
};

QByteArrayList downloadOfThree()
{
    QByteArrayList out{"@R1\r\n", "@t1\r\n"};
    for (int j = 0; j < 3; ++j)
        out << "@r" + QByteArray::number(j) + "\r\n"
            << "@A\r\n";
    return out;
}

} // namespace

class DownloadStepsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Harness::runQueued(); }

    // Only the first request waits for a tick; every later one goes out as
    // soon as the queued step runs after the reply, in the order and with the
    // bytes of the tick-driven download.
    void downloadRunsFromReplyToReply_data()
    {
        QTest::addColumn<int>("chunk");
        QTest::newRow("each reply in one batch") << 0;
        QTest::newRow("each reply byte by byte") << 1;
        QTest::newRow("each reply in batches of 5 bytes") << 5;
    }

    void downloadRunsFromReplyToReply()
    {
        QFETCH(int, chunk);
        Harness ticked;
        ticked.scheduler.startDownload(1);
        for (int i = 0; i < 40 && ticked.state.sequenceActive; ++i) {
            ticked.scheduler.Timer1Timer();
            ticked.parser.feed(std::exchange(ticked.pending, {}));
        }
        QCOMPARE(ticked.sent, downloadOfThree());

        Harness early;
        early.scheduler.startDownload(1);
        early.scheduler.Timer1Timer();
        QCOMPARE(early.sent, QByteArrayList{"@R1\r\n"});
        for (int i = 0; i < 40 && !early.pending.isEmpty(); ++i) {
            const qsizetype before = early.sent.size();
            early.deliver(chunk);
            // Never from inside the parser: nothing goes out until the
            // queued step runs.
            QCOMPARE(early.sent.size(), before);
            Harness::runQueued();
        }
        QCOMPARE(early.sent, ticked.sent);
        QCOMPARE(early.stepsPosted, 2 + 2 * 3);
        // The last record's end runs step 12 (the caption) early; step 100,
        // after a step that sent nothing, is the tick's.
        QCOMPARE(early.state.recordIndex, 3);
        QCOMPARE(early.sink.calls.filter("caption").join('|'), QStringLiteral("Form5.caption - 3 Registros"));
        QCOMPARE(early.state.downloadStep, int(PollScheduler::Finish));
        QVERIFY(early.state.sequenceActive);
        early.scheduler.Timer1Timer();
        QVERIFY(!early.state.sequenceActive);
        QCOMPARE(early.progress, ticked.progress);
        QCOMPARE(early.sink.calls, ticked.sink.calls);
        QVERIFY(early.sink.calls.contains("cell[3,2]=24,7"));
    }

    // Cases in which the step must wait for the tick, or not run at all.
    void earlyStepRunsOnlyWhenTheTickWould_data()
    {
        QTest::addColumn<bool>("testList");   // the test-list read instead of a download
        QTest::addColumn<QString>("between"); // what happens between the reply and the queued step
        QTest::addColumn<QByteArrayList>("sentAfter");
        QTest::newRow("nothing: the next request goes out")
            << false << QString() << QByteArrayList{"@R1\r\n", "@t1\r\n"};
        QTest::newRow("the viewer closed: nothing more goes out")
            << false << QStringLiteral("close") << QByteArrayList{"@R1\r\n"};
        QTest::newRow("Medições shown: the live request has the line, not the step")
            << false << QStringLiteral("live") << QByteArrayList{"@R1\r\n"};
        QTest::newRow("a tick ran the step first: it is not run twice")
            << false << QStringLiteral("tick") << QByteArrayList{"@R1\r\n", "@t1\r\n"};
        QTest::newRow("a tick ran a step that sends nothing: the next one waits for the next tick")
            << true << QStringLiteral("tick") << QByteArrayList{"@T\r\n"};
        QTest::newRow("a new sequence started: its first step waits for the tick")
            << false << QStringLiteral("restart") << QByteArrayList{"@R1\r\n"};
    }

    void earlyStepRunsOnlyWhenTheTickWould()
    {
        QFETCH(bool, testList);
        QFETCH(QString, between);
        QFETCH(QByteArrayList, sentAfter);
        Harness h;
        if (testList)
            h.scheduler.startTestListRead();
        else
            h.scheduler.startDownload(1);
        h.scheduler.Timer1Timer();
        h.deliver();
        QCOMPARE(h.stepsPosted, 1);
        if (between == "close")
            h.state.sequenceActive = false;
        else if (between == "live")
            h.livePage = true;
        else if (between == "tick")
            h.scheduler.Timer1Timer();
        else if (between == "restart")
            h.scheduler.startDownload(1);
        Harness::runQueued();
        QCOMPARE(h.sent, sentAfter);
    }

    // Only replies that free the link post a step, and only during a sequence.
    void onlyTheAwaitedReplyPostsAStep_data()
    {
        QTest::addColumn<bool>("sequence");
        QTest::addColumn<bool>("awaiting");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("posted");
        QTest::newRow("the awaited line feed") << true << true << QByteArray(":r\r\n") << 1;
        QTest::newRow("the record's closing C") << true << true << QByteArray(":A[1]d t =1\001=2\001=3\001C") << 1;
        QTest::newRow("a reply cut before its end") << true << true << QByteArray(":R3\r") << 0;
        QTest::newRow("a line feed nobody waits for") << true << false << QByteArray(":r\r\n") << 0;
        QTest::newRow("two line feeds for one request") << true << true << QByteArray(":r\r\n\n") << 1;
        QTest::newRow("no sequence in progress") << false << true << QByteArray(":W1D2G3\r\n") << 0;
    }

    void onlyTheAwaitedReplyPostsAStep()
    {
        QFETCH(bool, sequence);
        QFETCH(bool, awaiting);
        QFETCH(QByteArray, bytes);
        QFETCH(int, posted);
        Harness h;
        h.state.sequenceActive = sequence;
        h.state.downloadStep = PollScheduler::DownloadRecord;
        if (awaiting)
            takeLine(h.state, bytes[1] == 'W' ? QByteArray("@M\r\n") : "@" + bytes.mid(1, 1) + "\r\n");
        h.scheduler.received(h.parser, bytes);
        QCOMPARE(h.stepsPosted, posted);
    }

    // The parser may be left inside a record by an abandoned download; the
    // new download starts it afresh, with the progress bar at 0.
    void startDownloadResetsParserAndProgress()
    {
        Harness h;
        h.state.replyState = ReplyParser::RecordEnd;
        h.state.recordIndex = 9;
        h.scheduler.startDownload(2);
        QCOMPARE(h.state.testIndex, 2);
        QCOMPARE(h.state.replyState, int(ReplyParser::Idle));
        QCOMPARE(h.progress, QList<int>{0});
        QCOMPARE(h.state.downloadStep, int(PollScheduler::Download));
        QVERIFY(h.state.sequenceActive);
        QVERIFY(h.state.readyToSend);
        h.scheduler.Timer1Timer();
        h.deliver();
        QCOMPARE(h.state.recordCount, 3);
    }

    // A step still queued when the scheduler goes is dropped with it.
    void queuedStepDiesWithTheScheduler()
    {
        auto h = std::make_unique<Harness>();
        h->scheduler.startDownload(0);
        h->scheduler.Timer1Timer();
        h->deliver();
        QCOMPARE(h->stepsPosted, 1);
        h.reset();
        Harness::runQueued();
    }
};

QTEST_GUILESS_MAIN(DownloadStepsTest)
#include "test_download_steps.moc"
