// The windows' error boundary: an error thrown by a menu action, a button or
// a timer slot reaches the default error report (through guarded(), not the
// application's last resort) and the program goes on.
#include "core/AppError.h"
#include "forms/ErrorReport.h"
#include "forms/Guarded.h"
#include "forms/TesteTemperatura.h"
#include "support/Controls.h"
#include "support/FakeComPlatform.h"
#include "support/ModalCatcher.h"

#include <QAction>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <memory>

namespace {

// The warnings logged while it exists.
class WarningLog {
public:
    WarningLog()
    {
        lines().clear();
        previous = qInstallMessageHandler(&WarningLog::handle);
    }
    ~WarningLog() { qInstallMessageHandler(previous); }
    static QStringList &lines()
    {
        static QStringList all;
        return all;
    }
    bool contains(const QString &part) const
    {
        return std::any_of(lines().begin(), lines().end(), [&](const QString &l) { return l.contains(part); });
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type == QtWarningMsg)
            lines() << text;
    }
    QtMessageHandler previous = nullptr;
};

} // namespace

class ErrorBoundaryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config;

private slots:
    void init()
    {
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
        QDir().mkpath(config->path() + "/Tavenor");
        QFile ini(config->path() + "/Tavenor/Quorvin.conf");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("Porta=1\nPassword=pelko\n");
        shared() = SharedState();
    }

    // A port that cannot be closed: each item that closes it first throws.
    void portErrorFromMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("Desconectar closes the port") << QStringLiteral("Desconectar");
        QTest::newRow("Procurar closes the port before searching") << QStringLiteral("Procurar");
        QTest::newRow("another port item closes the open one") << QStringLiteral("Comm2");
    }

    void portErrorFromMenu()
    {
        QFETCH(QString, item);
        auto platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM1", "COM2"};
        TForm1 w(nullptr, platform);
        QVERIFY(w.session().port().Connected());
        platform->failures.insert(QStringLiteral("purge"), EIO);

        QAction *const items[] = {control<QAction>(w, "Desconectar1"), control<QAction>(w, "Procurar1"),
                                  control<QAction>(w, "Comm21")};
        QAction *action = nullptr;
        for (QAction *a : items)
            if (a->text() == item)
                action = a;
        QVERIFY(action);

        ModalCatcher catcher;
        WarningLog log;
        action->trigger(); // an escaping exception would end the test here
        QTRY_COMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("VESTARA"));
        QCOMPARE(catcher.boxes.first().text, QStringLiteral("PurgeComm function failed (win error code: %1)").arg(EIO));
        QCOMPARE(catcher.boxes.first().icon, int(QMessageBox::Critical));
        QVERIFY(log.contains(QStringLiteral("error report: PurgeComm function failed")));
        QVERIFY(!log.contains(QStringLiteral("escaped an event handler")));

        // The window goes on: the next tick of Timer1 and the next menu command run.
        platform->failures.clear();
        control<QAction>(w, "Desconectar1")->trigger();
        QVERIFY(!w.session().port().Connected());
        QCOMPARE(catcher.boxes.size(), 1);
    }

    void timerSlotErrorIsReported()
    {
        ModalCatcher catcher;
        WarningLog log;
        QObject context;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &context,
                guarded(&context, [] { throw AppError(QStringLiteral("Falha no relógio")); }));
        timer.start(0);
        QTRY_COMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().text, QStringLiteral("Falha no relógio"));
        QVERIFY(!log.contains(QStringLiteral("escaped an event handler")));
    }

    void errorThatIsNoStdException()
    {
        ModalCatcher catcher;
        QAction action(nullptr);
        QObject context;
        connect(&action, &QAction::triggered, &context, guarded(&context, [] { throw 42; }));
        action.trigger();
        QTRY_COMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().text, QStringLiteral("Unknown error"));
    }

    void bodyTakesTheSignalsArguments()
    {
        QAction action(nullptr);
        action.setCheckable(true);
        QObject context;
        QList<bool> seen;
        connect(&action, &QAction::triggered, &context, guarded(&context, [&seen](bool checked) { seen << checked; }));
        action.trigger();
        action.trigger();
        QCOMPARE(seen, (QList<bool>{true, false}));
    }

    void bodyDoesNotRunOnceTheContextIsGone()
    {
        int runs = 0;
        auto context = std::make_unique<QObject>();
        auto slot = guarded(context.get(), [&runs] { ++runs; });
        slot();
        context.reset();
        slot();
        QCOMPARE(runs, 1);
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    ErrorBoundaryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_errorboundary.moc"
