// The start and the end of a run without the window: what the state, the
// status panel, the port items and the port look like after startSession, and
// what endSession leaves on disk, against the scripted serial platform; and
// the meter session polling live values into a view without any window.
#include "control/MeterSession.h"
#include "control/PortSelection.h"
#include "control/Session.h"
#include "core/SettingsLocation.h"
#include "link/ComPort.h"
#include "support/FakeComPlatform.h"
#include "support/ScriptedMeter.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Window : PortSelectionView, SettingsUi {
    QString panels[3];
    int checked = -1;
    QStringList messages;
    QStringList errors;
    void setStatusText(StatusPanel panel, const QString &text) override { panels[int(panel)] = text; }
    void setPortChecked(int k) override { checked = k; }
    void setSearchTimerEnabled(bool) override {}
    void plainMessage(const QString &text) override { messages << text; }
    void errorReport(const QString &text) override { errors << text; }
};

// The live page shown; records the value labels.
struct LiveView : NullMeterView {
    QMap<ValueLabel, QString> labels;
    bool liveReadingsPageShown() override { return true; }
    void setValueLabel(ValueLabel label, const QString &text) override { labels[label] = text; }
};

struct Rig {
    SharedState state;
    Window window;
    std::shared_ptr<FakeComPlatform> platform = std::make_shared<FakeComPlatform>();
    TComPort port{nullptr, platform};
    PortSelection ports{state, port, window};
};

} // namespace

class SessionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config;

    void writeSettings(const QByteArray &ini)
    {
        QDir().mkpath(config->path() + "/Tavenor");
        QFile f(settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }

private slots:
    void init()
    {
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
    }

    void start_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("portPanel");
        QTest::addColumn<int>("checked");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("stored port 3 opens and is checked")
            << QByteArray("Porta=3\nPassword=x\n") << QStringList{"COM3"} << "Comm3" << 3 << true << QStringList{};
        QTest::newRow("a port beyond the four items is shown but no item checked")
            << QByteArray("Porta=7\nPassword=x\n") << QStringList{"COM7"} << "Comm7" << 0 << true << QStringList{};
        QTest::newRow("a stored port that does not open unchecks every item")
            << QByteArray("Porta=2\nPassword=x\n") << QStringList{"COM9"} << "Comm2" << 0 << false << QStringList{};
        QTest::newRow("first run: the message, port 0 shown, COM1 opened")
            << QByteArray() << QStringList{"COM1"} << "Comm0" << 0 << true
            << QStringList{"Não existe a chave no registro"};
    }

    void start()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, present);
        QFETCH(QString, portPanel);
        QFETCH(int, checked);
        QFETCH(bool, open);
        QFETCH(QStringList, messages);
        if (!ini.isEmpty())
            writeSettings(ini);
        Rig rig;
        rig.platform->present = present;
        // Leftovers of an earlier run that the start must clear.
        rig.state.replyState = 1005;
        rig.state.sequenceActive = true;
        rig.state.readyToSend = false;
        rig.state.portSearchState = 2;
        startSession(rig.state, rig.window, rig.window, rig.ports);
        QCOMPARE(rig.port.Connected(), open);
        QCOMPARE(rig.window.checked, checked);
        QCOMPARE(rig.window.messages, messages);
        QVERIFY(!rig.state.sequenceActive);
        QCOMPARE(rig.state.replyState, 0);
        QCOMPARE(rig.state.portSearchState, 0);
        QVERIFY(rig.state.readyToSend);
        QCOMPARE(rig.window.panels[int(StatusPanel::Port)], portPanel);
        if (open)
            QCOMPARE(rig.window.panels[int(StatusPanel::Link)], QStringLiteral("Conectado"));
    }

    void endClosesAndSaves()
    {
        writeSettings("Porta=1\nPassword=pelko\n");
        Rig rig;
        rig.platform->present = QStringList{"COM1"};
        startSession(rig.state, rig.window, rig.window, rig.ports);
        QVERIFY(rig.port.Connected());
        rig.state.portNumber = 4;
        rig.state.userPassword = QStringLiteral("nova");
        endSession(rig.state, rig.window, rig.ports);
        QVERIFY(!rig.port.Connected());
        QVERIFY(rig.window.errors.isEmpty());
        QSettings ini(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value("Porta").toInt(), 4);
        QCOMPARE(ini.value("Password").toString(), QStringLiteral("nova"));
    }

    void endWithUnwritableSettingsReportsAndStillCloses()
    {
        // A plain file where the settings folder should be.
        QFile blocker(config->path() + "/Tavenor");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Rig rig;
        rig.platform->present = QStringList{"COM1"};
        rig.state.portNumber = 1;
        rig.ports.openStoredPort();
        QVERIFY(rig.port.Connected());
        endSession(rig.state, rig.window, rig.ports);
        QVERIFY(!rig.port.Connected());
        QCOMPARE(rig.window.errors.size(), 1);
        QVERIFY(!rig.window.errors.first().isEmpty());
    }

    // The session's own poll timer sends one live request a second, in turn,
    // and the meter's readings reach the view.
    void livePollingWithoutAWindow()
    {
        writeSettings("Porta=1\nPassword=x\n");
        SharedState state;
        LiveView view;
        WindowSlots windows;
        auto platform = std::make_shared<FakeComPlatform>();
        ScriptedMeter meter(*platform);
        MeterSession session(state, view, windows, platform);
        session.start();
        QTRY_VERIFY_WITH_TIMEOUT(meter.requests.size() >= 4, 10000);
        QCOMPARE(meter.requests.mid(0, 4), (QByteArrayList{"@M", "@G", "@B", "@M"}));
        QCOMPARE(session.pollTimer().interval(), int(PollScheduler::IntervalPolling));
        for (int i = 1; i < 4; ++i) // a coarse timer may fire up to 5 % early
            QVERIFY2(meter.requestedAt[i] - meter.requestedAt[i - 1] >= 900, qPrintable(QString::number(i)));
        QCOMPARE(view.labels.value(ValueLabel::Wet), QStringLiteral("25,3°C"));
        QCOMPARE(view.labels.value(ValueLabel::Outdoor), QStringLiteral("26,52°C"));
        session.stop();
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "test_session.moc"
