// The scheduler and the parser, ticked by hand against a scripted meter that
// misbehaves: silent, cutting frames, dropping line feeds, absurd counts. The
// clock is the test's own, so a time-out is a number, not a wait.
#include "control/PollScheduler.h"
#include "link/CommandSender.h"
#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"
#include "support/TestData.h"

#include <QtTest>
#include <functional>

namespace {

struct CaptionViewer : NullViewerSink {
    QStringList captions;
    void appendViewerCaption(const QString &t) override { captions << t; }
};

// The main window as the scheduler sees it, a hand clock, and a meter behind
// sendCommand whose reply reaches the parser through the scheduler.
struct Bench : SchedulerHost, CommandSender {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    CaptionViewer viewer;
    QObject viewerWindow;
    ViewerSlot viewerSlot;
    PollScheduler scheduler{state, *this, *this, viewerSlot};

    Bench() { viewerSlot.attach(&viewerWindow, &viewer); }

    bool livePage = true;
    bool unitMenuEnabled = true;
    int64_t now = 1000000;
    int interval = PollScheduler::IntervalAtStart;
    int64_t nextTick = now;
    QByteArrayList sent;
    QList<int64_t> sentAt;
    QStringList nodes;
    QString activity;
    QStringList activityHistory;
    // The reply to each request; an empty one is silence.
    std::function<QByteArray(const QByteArray &)> meter;
    QByteArray pending;

    // One tick of Timer1 now, then the bytes the meter sent (as the serial
    // thread hands them over before the next tick) and the early steps.
    void tick()
    {
        scheduler.Timer1Timer();
        nextTick = now + interval;
        const QByteArray bytes = std::exchange(pending, {});
        scheduler.received(parser, QByteArrayView(bytes));
        QCoreApplication::processEvents();
    }
    // ms of the hand clock in 10 ms steps, Timer1 firing at its interval.
    void run(int64_t ms)
    {
        for (const int64_t end = now + ms; now < end; now += 10)
            if (now >= nextTick)
                tick();
    }

    bool liveReadingsPageShown() override { return livePage; }
    void resetTerminalScreen() override {}
    void setOptionsMenuEnabled(bool) override {}
    void setPollInterval(int ms) override { interval = ms; }
    bool sendCommand(const QByteArray &c) override
    {
        takeLine(state, c);
        sent << c;
        sentAt << now;
        if (meter)
            pending += meter(c);
        return true;
    }
    void clearTestTree() override { nodes.clear(); }
    void showTestCount(int) override {}
    void addTestNode(const QString &t) override { nodes << t; }
    void setDownloadProgress(int, int) override {}
    void setDownloadPosition(int) override {}
    void setUnitMenuEnabled(bool e) override { unitMenuEnabled = e; }
    void setStatusText(StatusPanel panel, const QString &t) override
    {
        if (panel == StatusPanel::Activity) {
            activity = t;
            activityHistory << t;
        }
    }
    QString statusText(StatusPanel panel) const override
    {
        return panel == StatusPanel::Activity ? activity : QString();
    }
    int64_t monotonicMs() override { return now; }
    void setValueLabel(ValueLabel, const QString &) override {}
    void setGaugeValue(int, double) override {}
    void setTestCountText(const QString &) override {}

    int count(const QByteArray &command) const { return int(sent.count(command + "\r\n")); }
    QByteArrayList sequenceRequests() const
    {
        QByteArrayList out;
        for (const QByteArray &c : sent)
            if (c != "@M\r\n" && c != "@G\r\n" && c != "@B\r\n")
                out << c.chopped(2);
        return out;
    }
};

QByteArray record(int n)
{
    return ":A01[" + QByteArray::number(n).rightJustified(4, '0') + "]01/01/24 10:00:00 UMI=1\001SEC=2\001GLO=3\001C";
}

// A healthy meter: live values, stored tests of the given sizes, records.
std::function<QByteArray(const QByteArray &)> meterWithTests(QList<int> sizes)
{
    auto selected = std::make_shared<int>(0);
    return [sizes, selected](const QByteArray &c) -> QByteArray {
        if (c == "@M\r\n")
            return ":W25.3D26.1G31.0\r\n";
        if (c == "@G\r\n")
            return ":G30.5D32.0G40.2\r\n";
        if (c == "@B\r\n")
            return ":B20.1D21.0G22.2\r\n";
        if (c == "@T\r\n")
            return ":T" + QByteArray::number(sizes.size()) + "\r\n";
        if (c.startsWith("@R")) {
            const int n = c.mid(2).trimmed().toInt();
            return ":R" + QByteArray::number(n < sizes.size() ? sizes[n] : 0) + "\r\n";
        }
        if (c == "@F\r\n")
            return ":FMEM T2000L1500\r\n";
        if (c.startsWith("@r"))
            *selected = c.mid(2).trimmed().toInt();
        if (c.startsWith("@t") || c.startsWith("@r"))
            return ":" + c.mid(1, 1) + "\r\n";
        if (c == "@A\r\n")
            return record(*selected + 1);
        return {};
    };
}

// The meter above, faulty from the n-th request on (counted from 1): each
// reply from then on goes through fault.
std::function<QByteArray(const QByteArray &)> faultyFrom(int n, std::function<QByteArray(const QByteArray &)> meter,
                                                         std::function<QByteArray(int, const QByteArray &)> fault)
{
    auto seen = std::make_shared<int>(0);
    return [=](const QByteArray &c) {
        const int i = ++*seen;
        const QByteArray reply = meter(c);
        return i >= n ? fault(i, reply) : reply;
    };
}

} // namespace

class RobustnessSchedulerTest : public QObject {
    Q_OBJECT

private slots:
    void meterAnsweringInTimeSeesTheSameRequests()
    {
        // Replies that take 2.9 s of a 3 s time-out: the polling waits for
        // them and sends nothing else.
        Bench b;
        QByteArrayList expected;
        for (int i = 0; i < 6; ++i) {
            b.run(10);
            QCOMPARE(b.sent.size(), i + 1);
            b.run(2900);
            QCOMPARE(b.sent.size(), i + 1);
            const char *answers[3] = {":W1D2G3\r\n", ":G1D2G3\r\n", ":B1D2G3\r\n"};
            b.scheduler.received(b.parser, QByteArrayView(answers[i % 3]));
            b.nextTick = b.now;
            expected << Command::livePoll(i % 3);
        }
        QCOMPARE(b.sent, expected);
        QVERIFY(!b.activityHistory.contains("Sem resposta do medidor"));
    }

    void silentMeterIsGivenUpAndPollingGoesOn()
    {
        Bench b;
        b.meter = faultyFrom(6, meterWithTests({}), [](int, const QByteArray &) { return QByteArray(); });
        b.run(5010); // one request a second, the sixth ("@B") unanswered
        QCOMPARE(b.sent.size(), 6);
        QVERIFY(b.activity.isEmpty());
        QCOMPARE(b.sentAt[5] - b.sentAt[4], 1000);
        b.run(4000);
        // Given up 3 s later: the next request of the cycle, and the notice.
        QVERIFY(b.sent.size() >= 7);
        QCOMPARE(b.sent[6], QByteArray("@M\r\n"));
        QVERIFY(b.sentAt[6] - b.sentAt[5] >= 3000 && b.sentAt[6] - b.sentAt[5] <= 3010);
        QCOMPARE(b.activity, QStringLiteral("Sem resposta do medidor"));
        QVERIFY(b.state.readyToSend || b.sent.size() == 7);
        b.run(6000);
        QCOMPARE(b.sent.mid(6, 3), (QByteArrayList{"@M\r\n", "@G\r\n", "@B\r\n"}));
        for (qsizetype i = 7; i < b.sent.size(); ++i)
            QVERIFY(b.sentAt[i] - b.sentAt[i - 1] >= 3000);
        QCOMPARE(b.state.replyState, int(ReplyParser::Idle));
    }

    void meterThatComesBackIsShownAndTheNoticeGoes()
    {
        Bench b;
        bool silent = false;
        auto healthy = meterWithTests({});
        b.meter = [&](const QByteArray &c) { return silent ? QByteArray() : healthy(c); };
        b.activity = QStringLiteral("Leitura finalizada.");
        b.run(1000);
        silent = true;
        b.run(5000);
        QCOMPARE(b.activity, QStringLiteral("Sem resposta do medidor"));
        b.state.wetReading = 0;
        silent = false;
        b.run(3000 + 3000 + 10); // the request in flight times out, then one cycle
        QCOMPARE(double(b.state.wetReading), 25.3);
        QCOMPARE(b.activity, QStringLiteral("Leitura finalizada.")); // what it showed before
    }

    void unfinishedReplies_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("a frame cut in half") << QByteArray(":W25.3D2");
        QTest::newRow("a line without its line feed") << QByteArray(":W9D9G9\r");
        QTest::newRow("a stored record cut before its end") << QByteArray(":A01[0001]01/01/24 10:00:00 UMI=1\001SE");
        QTest::newRow("a fragment that waits for '['") << QByteArray(":A");
        QTest::newRow("a megabyte without a line feed") << QByteArray(":W") + QByteArray(1 << 20, '7');
    }

    // After one reply that never completes, the next request goes out at the
    // time-out and the next well-formed reply is read.
    void unfinishedReplies()
    {
        QFETCH(QByteArray, fault);
        Bench b;
        b.meter = faultyFrom(3, meterWithTests({}), [fault](int i, const QByteArray &r) { return i == 3 ? fault : r; });
        b.run(2000);
        QCOMPARE(b.sent.size(), 2);
        b.state.wetReading = 0;
        b.run(1000 + 3000 + 10);
        QVERIFY(b.sent.size() >= 4); // the faulty "@B", then "@M" at the time-out
        QCOMPARE(b.sent[3], QByteArray("@M\r\n"));
        QVERIFY(b.sentAt[3] - b.sentAt[2] >= 3000 && b.sentAt[3] - b.sentAt[2] <= 3010);
        QCOMPARE(double(b.state.wetReading), 25.3);
        QVERIFY(b.state.replyField.capacity() <= 4 * ReplyParser::fieldLimit);
        QVERIFY(b.activity.isEmpty()); // the notice went with the reply
    }

    void fragmentDoesNotBlindTheLiveDisplay()
    {
        // ":A\r\n" after a reply left the parser waiting for '[' for good.
        Bench b;
        b.meter =
            faultyFrom(1, meterWithTests({}), [](int i, const QByteArray &r) { return i == 1 ? r + ":A\r\n" : r; });
        b.run(1010);
        QCOMPARE(b.sent.size(), 2);
        QCOMPARE(b.sink.calls.filter("Label").join(' '), QStringLiteral("Label6=30,5°C Label8=32,0°C Label10=40,2°C"));
        QCOMPARE(b.state.replyState, int(ReplyParser::Idle));
    }

    void testListRetriesThenStopsWhereItWas()
    {
        Bench b;
        b.livePage = false;
        // Silent from the third request, "@R1", on.
        b.meter = faultyFrom(3, meterWithTests({5, 7, 9}), [](int, const QByteArray &) { return QByteArray(); });
        b.scheduler.startTestListRead();
        QVERIFY(!b.unitMenuEnabled);
        b.run(20000);
        QCOMPARE(b.sequenceRequests(), (QByteArrayList{"@T", "@R0", "@R1", "@R1", "@R1", "@R1"}));
        QVERIFY(!b.state.sequenceActive);
        QVERIFY(b.unitMenuEnabled);
        QCOMPARE(b.nodes, QStringList{"Teste 1 -> Registros = 5"});
        QCOMPARE(b.activity, QStringLiteral("Leitura interrompida no teste 2 de 3: sem resposta do medidor."));
        // The retries are 3 s apart: 4 attempts, 12 s, then nothing more.
        b.run(10000);
        QCOMPARE(b.sent.size(), 6);
    }

    void retryThatIsAnsweredCarriesOn()
    {
        Bench b;
        b.livePage = false;
        // The "@A" of the second record is cut short once.
        b.meter =
            faultyFrom(1, meterWithTests({4}), [](int i, const QByteArray &r) { return i == 6 ? r.left(20) : r; });
        b.scheduler.startDownload(0);
        b.run(5000);
        QCOMPARE(b.sequenceRequests(),
                 (QByteArrayList{"@R0", "@t0", "@r0", "@A", "@r1", "@A", "@A", "@r2", "@A", "@r3", "@A"}));
        QCOMPARE(b.viewer.captions, QStringList{" - 4 Registros"});
        QCOMPARE(b.state.viewerRecordCount, 4);
        QVERIFY(!b.state.sequenceActive);
        QVERIFY(b.sink.calls.contains("cell[2,0]=0002"));
        QCOMPARE(b.sink.calls.filter("point0").size(), 4);
    }

    void downloadStopsAfterThreeRetriesAndCanBeRepeated()
    {
        Bench b;
        b.livePage = false;
        bool silent = false;
        int requests = 0;
        auto healthy = meterWithTests({30});
        // Silent from request 27 on: "@r12" (R, t, then an r/A pair per record).
        b.meter = [&](const QByteArray &c) { return ++requests >= 27 && silent ? QByteArray() : healthy(c); };
        silent = true;
        b.scheduler.startDownload(0);
        b.run(20000);
        QVERIFY(!b.state.sequenceActive);
        QCOMPARE(b.state.viewerRecordCount, 12);
        QCOMPARE(b.viewer.captions, QStringList{" - 12 Registros (interrompido)"});
        QCOMPARE(b.activity, QStringLiteral("Leitura interrompida no registro 13 de 30: sem resposta do medidor."));
        QCOMPARE(b.count("@r12"), 4);
        QVERIFY(b.unitMenuEnabled);

        // The meter back, the same download again: all of it.
        silent = false;
        b.sent.clear();
        b.viewer.captions.clear();
        b.scheduler.startDownload(0);
        b.run(3000);
        QCOMPARE(b.viewer.captions, QStringList{" - 30 Registros"});
        QCOMPARE(b.state.viewerRecordCount, 30);
        QCOMPARE(b.count("@A"), 30);
    }

    void absurdCounts_data()
    {
        QTest::addColumn<QByteArray>("testCount");
        QTest::addColumn<QByteArray>("recordCount");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::addColumn<QStringList>("nodes");

        QTest::newRow("the largest 32-bit count of tests is noise")
            << QByteArray("2147483647") << QByteArray("5") << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 5"};
        QTest::newRow("a negative count of tests is noise")
            << QByteArray("-3") << QByteArray("5") << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 5"};
        QTest::newRow("the limit itself is taken")
            << QByteArray("2") << QByteArray("100000") << QByteArrayList{"@T", "@R0", "@R1", "@F"}
            << QStringList{"Teste 1 -> Registros = 100000", "Teste 2 -> Registros = 100000"};
        QTest::newRow("a record count past the limit shows as 0")
            << QByteArray("1") << QByteArray("100001") << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 0"};
        QTest::newRow("a negative record count shows as 0")
            << QByteArray("1") << QByteArray("-1") << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 0"};
        QTest::newRow("a record count past 32 bits shows as 0")
            << QByteArray("1") << QByteArray("99999999999") << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 0"};
    }

    void absurdCounts()
    {
        QFETCH(QByteArray, testCount);
        QFETCH(QByteArray, recordCount);
        Bench b;
        b.livePage = false;
        b.meter = [&](const QByteArray &c) -> QByteArray {
            if (c == "@T\r\n")
                return ":T" + testCount + "\r\n";
            if (c.startsWith("@R"))
                return ":R" + recordCount + "\r\n";
            return meterWithTests({})(c);
        };
        b.scheduler.startTestListRead();
        b.run(1000);
        QVERIFY(!b.state.sequenceActive);
        QCOMPARE(b.sequenceRequests(), FETCHED(QByteArrayList, requests));
        QCOMPARE(b.nodes, FETCHED(QStringList, nodes));
        QCOMPARE(b.activity, QStringLiteral("Leitura finalizada."));
    }

    void downloadOfAnAbsurdRecordCountEndsAtOnce()
    {
        Bench b;
        b.livePage = false;
        b.meter = [&](const QByteArray &c) -> QByteArray {
            return c.startsWith("@R") ? QByteArray(":R2147483647\r\n") : meterWithTests({})(c);
        };
        b.scheduler.startDownload(0);
        b.run(1000);
        QCOMPARE(b.sequenceRequests(), (QByteArrayList{"@R0", "@t0"}));
        QCOMPARE(b.viewer.captions, QStringList{" - 0 Registros"});
    }

    void timeOutFromTheSettings()
    {
        Bench b;
        b.state.replyTimeoutMs = 5000;
        b.meter = [](const QByteArray &) { return QByteArray(); };
        b.run(4990);
        QCOMPARE(b.sent.size(), 1);
        b.run(30);
        QCOMPARE(b.sent.size(), 2);
    }

    void requestOfADialogIsGivenUpToo()
    {
        // A command sent outside the scheduler (the clock, the calibration)
        // that the meter never confirms: the clock starts at the next tick.
        Bench b;
        b.livePage = false;
        b.sendCommand("@Hxx\r\n");
        b.run(2990);
        QVERIFY(!b.state.readyToSend);
        b.run(30);
        QVERIFY(b.state.readyToSend);
        QCOMPARE(b.activity, QStringLiteral("Sem resposta do medidor"));
    }

    void newSequenceDropsTheRetriesOfTheOldOne()
    {
        Bench b;
        b.livePage = false;
        bool silent = true;
        auto healthy = meterWithTests({3});
        b.meter = [&](const QByteArray &c) { return silent ? QByteArray() : healthy(c); };
        b.scheduler.startTestListRead();
        b.run(6500); // "@T" and two retries
        QCOMPARE(b.count("@T"), 3);
        silent = false;
        // The download waits for the last "@T" to be given up (it never
        // forces the line), then runs; the abandoned read is not retried.
        b.scheduler.startDownload(0);
        b.run(1000);
        QVERIFY(b.viewer.captions.isEmpty());
        b.run(3000);
        QCOMPARE(b.viewer.captions, QStringList{" - 3 Registros"});
        QCOMPARE(b.count("@T"), 3);
    }
};

QTEST_GUILESS_MAIN(RobustnessSchedulerTest)
#include "test_robustness_scheduler.moc"
