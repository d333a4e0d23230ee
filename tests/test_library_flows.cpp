// The library flows of the meter ("Baixar todos", "Continuar download", the
// safe erase) on the real scheduler and parser, against a scripted meter that
// answers every request at once, and a library that records what it is given.
#include "control/DownloadAll.h"
#include "control/ResumeDownload.h"
#include "control/SafeErase.h"
#include "link/CommandSender.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"
#include "support/RecordingSink.h"

#include <QtTest>

namespace {

// A library in memory: every archive begun, its rows and how it ended.
struct RecordingArchive : TestArchive {
    struct Kept {
        DownloadOrigin origin;
        QList<RecordTexts> rows;
        std::optional<DownloadEnd> end;
    };
    QList<Kept> tests;

    struct Download : ArchivedDownload, NullViewerSink {
        RecordingArchive &library;
        int index;
        Download(RecordingArchive &library, int index) : library(library), index(index) {}
        ViewerSink &sink() override { return *this; }
        void setViewerCell(int row, int column, QAnyStringView text) override
        {
            QList<RecordTexts> &rows = library.tests[index].rows;
            while (rows.size() < row)
                rows.append(RecordTexts(8));
            rows[row - 1][column] = text.toString();
        }
        void end(DownloadEnd how) override { library.tests[index].end = how; }
    };

    bool holdsComplete(const MeterTest &t) override
    {
        for (const Kept &k : tests)
            if (k.origin.testNumber == t.number && k.end == DownloadEnd::Complete && k.rows.size() == t.recordCount &&
                k.rows.first() == t.first && k.rows.last() == t.last)
                return true;
        return false;
    }
    std::unique_ptr<ArchivedDownload> beginDownload(const DownloadOrigin &origin, ViewerSink &) override
    {
        tests.append({origin, {}, {}});
        return std::make_unique<Download>(*this, int(tests.size() - 1));
    }
    std::optional<InterruptedTest> interruptedTest(qint64 id) override
    {
        const Kept &k = tests.value(id);
        if (k.end != DownloadEnd::Interrupted)
            return std::nullopt;
        return InterruptedTest{id, k.origin, int(k.rows.size()), k.rows.value(0), k.rows.value(k.rows.size() - 1)};
    }
    std::unique_ptr<ArchivedDownload> continueDownload(qint64 id, ViewerSink &) override
    {
        return std::make_unique<Download>(*this, int(id));
    }
};

// The scheduler's host and a meter that answers through the real parser:
// test i holds sizes[i] records, whose values depend on `variant[i]`.
struct Meter : SchedulerHost, CommandSender, LibraryDownloadView, PasswordPrompt, EraseQuestion {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    PollScheduler scheduler{state, *this, *this, sink.windows.viewer};
    RecordingArchive library;

    QList<int> sizes;
    QList<int> variant;
    int answerLimit = 1 << 30; // silent after this many requests
    QByteArrayList sent;
    QByteArray pending;
    int selectedTest = 0, selectedRecord = 0;
    int64_t now = 0;
    QStringList nodes;

    QStringList asked;
    Answer answer = Answer::Cancel;
    QStringList ended; // what the flows' ends said
    QStringList told;

    Meter() { state.userPassword = QStringLiteral("pelko"); }

    QByteArray reply(const QByteArray &c)
    {
        const int n = c.mid(2).trimmed().toInt();
        if (c == "@T\r\n")
            return ":T" + QByteArray::number(sizes.size()) + "\r\n";
        if (c.startsWith("@R"))
            return ":R" + QByteArray::number(sizes.value(n)) + "\r\n";
        if (c.startsWith("@t"))
            selectedTest = n;
        if (c.startsWith("@r"))
            selectedRecord = n;
        if (c.startsWith("@t") || c.startsWith("@r") || c == "@X\r\n")
            return ":" + c.mid(1, 1) + "\r\n";
        if (c == "@A\r\n")
            return ":A[" + QByteArray::number(selectedRecord + 1) +
                   "]01/02/24 10:00:" + QByteArray::number(10 + selectedRecord) + " UMI=2" +
                   QByteArray::number(selectedTest) + "." + QByteArray::number(variant.value(selectedTest)) +
                   "\001SEC=26\001GLO=30\001C";
        if (c == "@F\r\n")
            return ":F T2000L1500\r\n";
        return {};
    }
    bool sendCommand(const QByteArray &c) override
    {
        takeLine(state, c);
        sent << c.trimmed();
        if (c == "@X\r\n")
            sizes.clear();
        if (sent.size() <= answerLimit)
            pending += reply(c);
        return true;
    }
    // Ticks, answers and queued steps until `done`, 100 ms of the clock a turn.
    bool runUntil(const std::function<bool()> &done)
    {
        for (int i = 0; i < 20000 && !done(); ++i) {
            now += 100;
            scheduler.Timer1Timer();
            scheduler.received(parser, std::exchange(pending, {}));
            QCoreApplication::sendPostedEvents();
        }
        return done();
    }
    QString sentSince(qsizetype from) const { return QString::fromLatin1(sent.mid(from).join(' ')); }

    int64_t monotonicMs() override { return now; }
    bool liveReadingsPageShown() override { return false; }
    void resetTerminalScreen() override {}
    void setOptionsMenuEnabled(bool) override {}
    void setPollInterval(int) override {}
    void clearTestTree() override { nodes.clear(); }
    void showTestCount(int) override {}
    void addTestNode(const QString &text) override { nodes << text; }
    void setDownloadProgress(int, int) override {}
    void setDownloadPosition(int) override {}
    void setUnitMenuEnabled(bool) override {}
    void setStatusText(StatusPanel, const QString &) override {}
    void setValueLabel(ValueLabel, const QString &) override {}
    void setGaugeValue(int, double) override {}
    void setTestCountText(const QString &) override {}

    void showActivity(const QString &) override {}
    void showTest(int, int, int) override {}
    void showRecords(int, int) override {}
    void downloadsEnded(const QString &summary, bool whole) override
    {
        ended << (whole ? "whole: " : "not whole: ") + summary.section(QLatin1Char(';'), 0, 0);
    }

    QString ask(const QString &, const QString &, bool) override { return QStringLiteral("pelko"); }
    void showMessage(const QString &text, const QString &) override { told << text; }
    Answer askBeforeErasing(const QString &question) override
    {
        asked << question;
        return answer;
    }

    // The records of test `number` as the meter holds them now, kept whole
    // (or cut after `kept` records, interrupted).
    void keep(int number, int kept = -1)
    {
        RecordingArchive side;
        Meter copy;
        copy.sizes = sizes;
        copy.variant = variant;
        ArchivedRun run(copy.scheduler, copy.sink.windows.viewer);
        bool over = false;
        run.start(number - 1, {0, kept < 0 ? sizes[number - 1] : kept},
                  side.beginDownload({"COM1", number, sizes[number - 1], {}}, copy.sink), nullptr, nullptr,
                  [&](DownloadEnd) { over = true; });
        QVERIFY(copy.runUntil([&] { return over; }));
        RecordingArchive::Kept k = side.tests.first();
        k.end = kept < 0 ? DownloadEnd::Complete : DownloadEnd::Interrupted;
        library.tests.append(k);
    }
};

QString numbers(const QList<RecordingArchive::Kept> &tests)
{
    QStringList out;
    for (const auto &k : tests)
        out << QStringLiteral("%1:%2:%3")
                   .arg(k.origin.testNumber)
                   .arg(k.rows.size())
                   .arg(k.end == DownloadEnd::Complete ? "ok" : "cut");
    return out.join(' ');
}

} // namespace

class LibraryFlowsTest : public QObject {
    Q_OBJECT
private slots:
    // The library after "Baixar todos", test:records:state in the order kept.
    void downloadAllKeepsWhatTheLibraryLacks_data()
    {
        QTest::addColumn<QString>("kept");    // before: "1" test 1 whole, "1/1" cut after 1 record
        QTest::addColumn<int>("changedTest"); // the meter's test whose values changed since (0 none)
        QTest::addColumn<int>("silentAfter"); // requests the meter answers
        QTest::addColumn<QString>("library"); // after
        QTest::addColumn<QString>("ended");
        QTest::newRow("an empty library gets every test with records")
            << "" << 0 << 1000 << "1:2:ok 3:3:ok"
            << "whole: 2 testes baixados (5 registros), 0 já estavam na biblioteca";
        QTest::newRow("a test kept whole is skipped")
            << "1" << 0 << 1000 << "1:2:ok 3:3:ok"
            << "whole: 1 teste baixado (3 registros), 1 já estava na biblioteca";
        QTest::newRow("a test kept cut is downloaded again whole")
            << "1/1" << 0 << 1000 << "1:1:cut 1:2:ok 3:3:ok"
            << "whole: 2 testes baixados (5 registros), 0 já estavam na biblioteca";
        QTest::newRow("a test whose records differ from the kept ones is downloaded again")
            << "1" << 1 << 1000 << "1:2:ok 1:2:ok 3:3:ok"
            << "whole: 2 testes baixados (5 registros), 0 já estavam na biblioteca";
        QTest::newRow("a meter that stops answering ends the run, the test kept cut")
            << "" << 0 << 31 << "1:2:ok 3:1:cut"
            << "not whole: O teste 3 não veio inteiro (interrompido).\n"
               "1 teste baixado (3 registros), 0 já estavam na biblioteca";
    }

    void downloadAllKeepsWhatTheLibraryLacks()
    {
        QFETCH(QString, kept);
        QFETCH(int, changedTest);
        QFETCH(int, silentAfter);
        Meter m;
        m.sizes = {2, 0, 3};
        m.variant = {0, 0, 0};
        if (kept == "1")
            m.keep(1);
        else if (kept == "1/1")
            m.keep(1, 1);
        if (changedTest)
            m.variant[changedTest - 1] = 5;
        m.answerLimit = silentAfter;
        DownloadAll all(m.state, m.scheduler, m.sink.windows.viewer, m.library, m);
        all.start();
        QVERIFY(m.runUntil([&] { return !all.running(); }));
        QTEST(numbers(m.library.tests), "library");
        QCOMPARE(m.ended.size(), 1);
        QTEST(m.ended.first(), "ended");
    }

    // The survey reads the first and the last record with the download's own
    // requests; a second run downloads nothing.
    void aSecondRunOnlyReadsTheListAndTheEnds()
    {
        Meter m;
        m.sizes = {2, 1};
        DownloadAll all(m.state, m.scheduler, m.sink.windows.viewer, m.library, m);
        all.start();
        QVERIFY(m.runUntil([&] { return !all.running(); }));
        const qsizetype before = m.sent.size();
        all.start();
        QVERIFY(m.runUntil([&] { return !all.running(); }));
        QCOMPARE(m.sentSince(before), QStringLiteral("@T @R0 @R1 @F @R0 @t0 @r0 @A @R0 @t0 @r1 @A @R1 @t1 @r0 @A"));
        QCOMPARE(m.ended.last(), QStringLiteral("whole: 0 testes baixados (0 registros), 2 já estavam na biblioteca"));
    }

    void cancelKeepsWhatCame()
    {
        Meter m;
        m.sizes = {50};
        DownloadAll all(m.state, m.scheduler, m.sink.windows.viewer, m.library, m);
        all.start();
        QVERIFY(m.runUntil([&] { return m.state.recordIndex == 10 && m.library.tests.size() == 1; }));
        all.cancel();
        QVERIFY(!all.running());
        QCOMPARE(numbers(m.library.tests), QStringLiteral("1:10:cut"));
        QVERIFY2(m.ended.last().startsWith("not whole: Baixar todos cancelado.\n0 testes baixados (10 registros)"),
                 qPrintable(m.ended.last()));
        QVERIFY(!m.state.sequenceActive);
    }

    void resumeAsksOnlyForWhatIsMissing_data()
    {
        QTest::addColumn<int>("meterRecords"); // test 2's on the meter; 5 when it was cut after 2
        QTest::addColumn<int>("changedVariant");
        QTest::addColumn<QString>("requests");
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("ended");
        QTest::newRow("the same test: the first and last kept read back, then from the first missing on")
            << 5 << 0 << "@R1 @t1 @r0 @A @R1 @t1 @r1 @A @R1 @t1 @r2 @A @r3 @A @r4 @A"
            << "2:5:ok"
            << "whole: Teste 2 completo: 5 registros.";
        QTest::newRow("another record count: downloaded as a new test")
            << 6 << 0 << "@R1 @t1 @r0 @A @R1 @t1 @r0 @A @r1 @A @r2 @A @r3 @A @r4 @A @r5 @A"
            << "2:2:cut 2:6:ok"
            << "whole: O teste 2 do medidor mudou: ele será baixado como um teste novo.\nTeste 2 completo: 6 "
               "registros.";
        QTest::newRow("other records under the same count: downloaded as a new test")
            << 5 << 3 << "@R1 @t1 @r0 @A @R1 @t1 @r0 @A @r1 @A @r2 @A @r3 @A @r4 @A"
            << "2:2:cut 2:5:ok"
            << "whole: O teste 2 do medidor mudou: ele será baixado como um teste novo.\nTeste 2 completo: 5 "
               "registros.";
    }

    void resumeAsksOnlyForWhatIsMissing()
    {
        QFETCH(int, meterRecords);
        QFETCH(int, changedVariant);
        Meter m;
        m.sizes = {1, 5};
        m.keep(2, 2);
        m.sizes[1] = meterRecords;
        m.variant = {0, changedVariant};
        ResumeDownload resume(m.state, m.scheduler, m.sink.windows.viewer, m.library, m);
        resume.start(0);
        QVERIFY(m.runUntil([&] { return !resume.running(); }));
        QTEST(m.sentSince(0), "requests");
        QTEST(numbers(m.library.tests), "library");
        QTEST(m.ended.value(0), "ended");
        const QList<RecordTexts> rows = m.library.tests.last().rows;
        QCOMPARE(rows.last().value(0), QString::number(meterRecords));
        QCOMPARE(rows.value(2).value(1), QStringLiteral("10:00:12"));
    }

    void eraseAsksForTestsNotKept_data()
    {
        QTest::addColumn<bool>("allKept");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("erased");
        const QString two = "2 testes ainda não foram baixados: Teste 1, Teste 3. Apagar mesmo assim?";
        QTest::newRow("every test kept: erased without a question")
            << true << int(EraseQuestion::Answer::Cancel) << "" << true;
        QTest::newRow("tests not kept, Apagar: erased") << false << int(EraseQuestion::Answer::Erase) << two << true;
        QTest::newRow("tests not kept, Cancelar: nothing sent")
            << false << int(EraseQuestion::Answer::Cancel) << two << false;
        QTest::newRow("tests not kept, Baixar todos: downloaded, then erased")
            << false << int(EraseQuestion::Answer::DownloadAll) << two << true;
    }

    void eraseAsksForTestsNotKept()
    {
        QFETCH(bool, allKept);
        QFETCH(int, answer);
        QFETCH(bool, erased);
        Meter m;
        m.sizes = {2, 0, 1};
        if (allKept) {
            m.keep(1);
            m.keep(3);
        }
        m.answer = EraseQuestion::Answer(answer);
        SafeErase erase(m.state, m.scheduler, m.sink.windows.viewer, m.library, m);
        QVERIFY(erase.start(m, m, [&](const QString &t) { m.told << t; }));
        QVERIFY(m.runUntil([&] { return !erase.running() && !m.state.sequenceActive; }));
        QTEST(m.asked.join('|'), "asked");
        QCOMPARE(m.sent.contains("@X"), erased);
        QCOMPARE(m.told, erased ? QStringList{"Memória apagada..."} : QStringList{});
        if (erased) {
            // The list is read again after the erase: the empty meter.
            QCOMPARE(m.sentSince(m.sent.indexOf("@X")), QStringLiteral("@X @T @R0 @F"));
            QVERIFY(m.scheduler.listedRecordCounts().isEmpty());
        }
        if (EraseQuestion::Answer(answer) == EraseQuestion::Answer::DownloadAll)
            QCOMPARE(numbers(m.library.tests), QStringLiteral("1:2:ok 3:1:ok"));
    }
};

QTEST_GUILESS_MAIN(LibraryFlowsTest)
#include "test_library_flows.moc"
