// Timer1 ticked by hand against a scripted meter: the exact request stream,
// the sequences' steps, and what they show.
#include "control/LiveDisplay.h"
#include "control/PollScheduler.h"
#include "link/CommandSender.h"
#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"
#include "support/TestData.h"

#include <QtTest>
#include <functional>

namespace {

// The viewer as the scheduler sees it: its caption goes into the events.
struct CaptionViewer : NullViewerSink {
    QStringList &events;
    explicit CaptionViewer(QStringList &events) : events(events) {}
    void appendViewerCaption(const QString &t) override { events << "caption" + t; }
};

// The windows as the scheduler sees them, plus a meter behind sendCommand that
// answers through the real parser before the next tick (or stays silent).
struct Bench : SchedulerHost, CommandSender {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    QStringList events;
    CaptionViewer viewer{events};
    QObject viewerWindow;
    ViewerSlot viewerSlot;
    PollScheduler scheduler{state, *this, *this, viewerSlot};

    Bench() { viewerSlot.attach(&viewerWindow, &viewer); }

    bool portOpen = true;
    bool livePage = true;
    bool optionsEnabled = true;
    bool unitMenuEnabled = true;
    int interval = PollScheduler::IntervalAtStart;
    QByteArrayList sent;
    QStringList nodes;
    QString labels[11];
    double gauges[4] = {};
    QString testCountText;
    std::function<QByteArray(const QByteArray &)> meter = [](const QByteArray &) { return QByteArray(); };
    QByteArray pending;

    void tick()
    {
        scheduler.Timer1Timer();
        parser.feed(pending);
        pending.clear();
    }

    bool liveReadingsPageShown() override { return livePage; }
    void resetTerminalScreen() override { events << "reset"; }
    void setOptionsMenuEnabled(bool e) override { optionsEnabled = e; }
    void setPollInterval(int ms) override { interval = ms; }
    bool sendCommand(const QByteArray &c) override
    {
        if (!portOpen)
            return false;
        takeLine(state, c);
        sent << c;
        pending += meter(c);
        return true;
    }
    void clearTestTree() override
    {
        nodes.clear();
        events << "clearTree";
    }
    void showTestCount(int n) override { events << QStringLiteral("Edit2=%1").arg(n); }
    void addTestNode(const QString &t) override { nodes << t; }
    void setDownloadProgress(int max, int pos) override
    {
        events << QStringLiteral("progress %1/%2").arg(pos).arg(max);
    }
    void setDownloadPosition(int pos) override { events << QStringLiteral("progress %1").arg(pos); }
    void setUnitMenuEnabled(bool e) override { unitMenuEnabled = e; }
    void setStatusText(StatusPanel panel, const QString &t) override
    {
        events << QStringLiteral("status%1=%2").arg(int(panel)).arg(t);
    }
    void refreshLiveDisplay() { ::refreshLiveDisplay(state, *this); }

    void setValueLabel(ValueLabel n, const QString &t) override { labels[int(n)] = t; }
    void setGaugeValue(int n, double v) override { gauges[n] = v; }
    void setTestCountText(const QString &t) override { testCountText = t; }
};

// A meter with stored tests of the given sizes; a record carries the number
// of the one selected last (or always 1 when `numbered` is false).
std::function<QByteArray(const QByteArray &)> meterWithTests(QList<int> sizes, bool numbered = true)
{
    auto selected = std::make_shared<int>(0);
    return [sizes, numbered, selected](const QByteArray &c) -> QByteArray {
        if (c.startsWith("@r"))
            *selected = c.mid(2).trimmed().toInt();
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
            return ":F T2000L1500\r\n";
        if (c == "@X\r\n")
            return ":X\r\n";
        if (c.startsWith("@t") || c.startsWith("@r"))
            return ":" + c.mid(1, 1) + "\r\n";
        if (c == "@A\r\n")
            return ":A[" + QByteArray::number(numbered ? *selected + 1 : 1) + "]01/01/24 10:00:00 =1\001=2\001=3\001C";
        return {};
    };
}

QByteArrayList commands(std::initializer_list<const char *> list)
{
    QByteArrayList out;
    for (const char *c : list)
        out << QByteArray(c) + "\r\n";
    return out;
}

} // namespace

class SchedulerTest : public QObject {
    Q_OBJECT
private slots:
    void livePollingOnePerAnsweredTick()
    {
        Bench b;
        b.meter = meterWithTests({});
        for (int i = 0; i < 5; ++i) {
            b.tick();
            QCOMPARE(b.interval, 1000);
            QVERIFY(!b.optionsEnabled);
        }
        QCOMPARE(b.sent, commands({"@M", "@G", "@B", "@M", "@G"}));
        QCOMPARE(b.events.count("reset"), 5);
        QCOMPARE(b.labels[1], QStringLiteral("25,3°C"));
    }

    void silentMeterStopsRequests()
    {
        Bench b;
        b.tick();
        QCOMPARE(b.sent, commands({"@M"}));
        for (int i = 0; i < 3; ++i) {
            b.tick();
            QVERIFY(b.optionsEnabled);
            QCOMPARE(b.interval, 10);
        }
        QCOMPARE(b.sent.size(), 1);
        // A late answer frees the link again.
        b.parser.feed(QByteArray(":W1D2G3\r\n"));
        b.tick();
        QCOMPARE(b.sent, commands({"@M", "@G"}));
    }

    void closedPortCyclesPollIndex()
    {
        Bench b;
        b.portOpen = false;
        for (int i = 0; i < 4; ++i)
            b.tick();
        QVERIFY(b.sent.isEmpty());
        QCOMPARE(b.state.pollIndex, 1);
        QVERIFY(b.state.readyToSend);
    }

    void sequenceWaitsForTestsPage()
    {
        Bench b;
        b.meter = meterWithTests({5, 7});
        b.scheduler.startTestListRead();
        QVERIFY(!b.unitMenuEnabled);
        QVERIFY(b.events.contains("status2=Lendo ..."));
        for (int i = 0; i < 4; ++i)
            b.tick();
        QCOMPARE(b.sent, commands({"@M", "@G", "@B", "@M"}));
        b.livePage = false;
        b.tick();
        QCOMPARE(b.sent.last(), QByteArray("@T\r\n"));
    }

    void testListRead_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QStringList>("nodes");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::newRow("5 and 7 records") << QList<int>{5, 7}
                                         << QStringList{"Teste 1 -> Registros = 5", "Teste 2 -> Registros = 7"}
                                         << commands({"@T", "@R0", "@R1", "@F"});
        QTest::newRow("10, 0 and 25 records")
            << QList<int>{10, 0, 25}
            << QStringList{"Teste 1 -> Registros = 10", "Teste 2 -> Registros = 0", "Teste 3 -> Registros = 25"}
            << commands({"@T", "@R0", "@R1", "@R2", "@F"});
        QTest::newRow("no test still asks for test 0")
            << QList<int>{} << QStringList{"Teste 1 -> Registros = 0"} << commands({"@T", "@R0", "@F"});
    }

    void testListRead()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(QStringList, nodes);
        QFETCH(QByteArrayList, requests);
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests(sizes);
        b.scheduler.startTestListRead();
        for (int i = 0; i < 40 && b.state.sequenceActive; ++i)
            b.tick();
        QVERIFY(!b.state.sequenceActive);
        QCOMPARE(b.sent, requests);
        QCOMPARE(b.nodes, nodes);
        QVERIFY(b.unitMenuEnabled);
        QCOMPARE(b.events.last(), QStringLiteral("status2=Leitura finalizada."));
        QVERIFY(b.sink.calls.contains("memoryMax=2000"));
        QVERIFY(b.sink.calls.contains("memoryPos=1500"));
        QCOMPARE(b.testCountText, QString::number(sizes.size()));
        QCOMPARE(b.events.contains(QStringLiteral("Edit2=%1").arg(sizes.size())), !sizes.isEmpty());
    }

    void download_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("none") << 0;
        QTest::newRow("three") << 3;
    }

    void download()
    {
        QFETCH(int, records);
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests({9, records});
        b.state.testIndex = 1;
        b.scheduler.startSequence(PollScheduler::Download);
        for (int i = 0; i < 40 && b.state.sequenceActive; ++i)
            b.tick();
        QByteArrayList expected = commands({"@R1", "@t1"});
        for (int j = 0; j < records; ++j)
            expected << "@r" + QByteArray::number(j) + "\r\n"
                     << "@A\r\n";
        QCOMPARE(b.sent, expected);
        QCOMPARE(b.state.recordIndex, records);
        QVERIFY(b.events.contains(QStringLiteral("caption - %1 Registros").arg(records)));
        QVERIFY(b.events.contains(QStringLiteral("progress %1/%1").arg(records)));
    }

    // A request that cannot be written ends its sequence at once with what it
    // has received: never a tree of stale counts, never a complete caption.
    void closedPortEndsTheSequenceAtOnce_data()
    {
        QTest::addColumn<int>("firstStep");
        QTest::addColumn<int>("answered"); // requests answered before the port closes
        QTest::addColumn<QStringList>("nodes");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("status");
        QTest::newRow("a list read on a closed port")
            << int(PollScheduler::TestList) << 0 << QStringList{} << QString()
            << "Leitura interrompida na contagem de testes: medidor desconectado.";
        QTest::newRow("a list read that loses the port at test 2")
            << int(PollScheduler::TestList) << 2 << QStringList{"Teste 1 -> Registros = 4"} << QString()
            << "Leitura interrompida no teste 2 de 2: medidor desconectado.";
        QTest::newRow("a download that loses the port after 2 records")
            << int(PollScheduler::Download) << 6 << QStringList{} << "caption - 2 Registros (interrompido)"
            << "Leitura interrompida no registro 3 de 4: medidor desconectado.";
    }

    void closedPortEndsTheSequenceAtOnce()
    {
        QFETCH(int, answered);
        Bench b;
        b.livePage = false;
        b.state.testCount = 9; // counts of an earlier read
        b.state.recordCount = 9;
        b.state.recordIndex = 7;
        auto meter = meterWithTests({4, 4});
        b.meter = [&b, meter, answered](const QByteArray &c) {
            b.portOpen = b.sent.size() < answered;
            return meter(c);
        };
        b.portOpen = answered > 0;
        if (FETCHED(int, firstStep) == PollScheduler::Download)
            b.scheduler.startDownload(1);
        else
            b.scheduler.startTestListRead();
        for (int i = 0; i < 40 && b.state.sequenceActive; ++i)
            b.tick();
        QVERIFY(!b.state.sequenceActive);
        QTEST(b.nodes, "nodes");
        QCOMPARE(b.events.filter("caption"), FETCHED(QString, caption).isEmpty() ? QStringList{} : QStringList{FETCHED(QString, caption)});
        QCOMPARE(b.events.last(), "status2=" + FETCHED(QString, status));
        QVERIFY(b.unitMenuEnabled);
    }

    void closingViewerStopsDownload()
    {
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests({5});
        b.scheduler.startDownload(0);
        b.tick();
        b.tick();
        b.scheduler.stopSequence(); // the viewer closed
        const int sentBefore = int(b.sent.size());
        b.tick();
        b.tick();
        QCOMPARE(int(b.sent.size()), sentBefore);
    }

    // Records whose numbers do not go upwards: the download says it is not
    // what the meter holds.
    void repeatedRecordsMarkTheDownloadIncomplete()
    {
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests({3}, false);
        b.scheduler.startDownload(0);
        for (int i = 0; i < 40 && b.state.sequenceActive; ++i)
            b.tick();
        QVERIFY(b.events.contains("caption - 3 Registros (incompleto)"));
        QCOMPARE(b.events.last(), "status2=Leitura incompleta: 3 registros recebidos, 2 repetidos ou fora de ordem.");
    }

    // Menu and dialog commands, and sequences, never force the line: they
    // wait for the reply it awaits, which alone frees it.
    void nothingForcesTheLine()
    {
        Bench b;
        b.meter = meterWithTests({10, 0, 25});
        b.scheduler.Timer1Timer(); // "@M" awaits its reply
        const QByteArray liveReply = std::exchange(b.pending, {});
        QList<bool> told;
        b.scheduler.sendWhenFree(QByteArray("@X\r\n"), [&told](bool written) { told << written; });
        b.livePage = false;
        b.scheduler.startDownload(2);
        b.tick();
        QCOMPARE(b.sent, commands({"@M"}));
        QVERIFY(told.isEmpty());

        // The live reply frees the line: the waiting command goes first, then
        // the download, each after the reply before it.
        b.scheduler.received(b.parser, liveReply);
        QTRY_COMPARE(b.sent, commands({"@M", "@X"}));
        QTRY_COMPARE(told, QList<bool>{true});
        b.scheduler.received(b.parser, std::exchange(b.pending, {}));
        QTRY_COMPARE(b.sent, commands({"@M", "@X", "@R2"}));

        // A second start while "@R2" is awaited: its reply fills nothing, and
        // the new download asks again.
        b.scheduler.startDownload(0);
        b.state.recordCount = 77;
        b.scheduler.received(b.parser, std::exchange(b.pending, {}));
        QCOMPARE(b.state.recordCount, 77);
        QTRY_COMPARE(b.sent.last(), QByteArray("@R0\r\n"));

        b.portOpen = false;
        freeLine(b.state); // the port closed under the request
        b.scheduler.sendWhenFree(QByteArray("@Z\r\n"), [&told](bool written) { told << written; });
        QCOMPARE(told, (QList<bool>{true, false}));
    }

    // Timer1 sleeps while there is nothing to do and wakes for a sequence.
    void idleTimerSleeps()
    {
        Bench b;
        b.livePage = false;
        b.tick();
        QCOMPARE(b.interval, int(PollScheduler::IntervalIdle));
        b.scheduler.startTestListRead();
        QCOMPARE(b.interval, int(PollScheduler::IntervalWaiting));
        b.tick();
        QCOMPARE(b.interval, int(PollScheduler::IntervalWaiting));
    }

    void sampleRateQuery()
    {
        Bench b;
        b.livePage = false;
        b.meter = [](const QByteArray &c) -> QByteArray { return c == "@I\r\n" ? ":I0+5\r\n" : ":u\r\n"; };
        b.scheduler.startSequence(PollScheduler::SampleRate);
        for (int i = 0; i < 5; ++i)
            b.tick();
        QCOMPARE(b.sent, commands({"@I", "@u"}));
        QVERIFY(b.sink.calls.contains("Form4.Edit1=5"));
        QVERIFY(!b.state.sequenceActive);
    }

    void liveDisplay_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("texts"); // VrLabel1, 2, 3, 6, 10
        QTest::newRow("before any frame") << QByteArray() << QStringList{"0°C", "0°C", "0°C", "0°C", "0°C"};
        QTest::newRow("celsius") << QByteArray(":W25.3D26.1G31.0\r\n")
                                 << QStringList{"25,3°C", "26,1°C", "31°C", "27,01°C", "26,52°C"};
        QTest::newRow("fahrenheit, no conversion")
            << QByteArray(":w25.3D26.1G31.0\r\n") << QStringList{"25,3°F", "26,1°F", "31°F", "27,01°F", "26,52°F"};
        QTest::newRow("outside the gauge's scale")
            << QByteArray(":W150D-40G0\r\n") << QStringList{"150°C", "-40°C", "0°C", "105°C", "101°C"};
    }

    void liveDisplay()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, texts);
        Bench b;
        takeLine(b.state, "@M\r\n");
        b.parser.feed(frame);
        b.refreshLiveDisplay();
        QCOMPARE((QStringList{b.labels[1], b.labels[2], b.labels[3], b.labels[6], b.labels[10]}), texts);
        QCOMPARE(b.gauges[1], double(b.state.wetReading));
        QCOMPARE(b.gauges[2], double(b.state.dryReading));
        QCOMPARE(b.testCountText, QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(SchedulerTest)
#include "test_scheduler.moc"
