// The meter configuration end to end: the main window, in-process and
// offscreen, against the meter simulator on a pseudo-terminal. What the
// client sent is read back from the simulator's request log; what the meter
// then holds is read back through the client, as the operator would.
#include "forms/Calibra.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/Taxa.h"
#include "forms/TesteTemperatura.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"
#include "support/Simulator.h"
#include "widgets/TVrLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArrayList requestsStartingWith(const SimulatorProcess &sim, const QByteArray &prefix)
{
    QByteArrayList out;
    for (const QByteArray &r : sim.requests())
        if (r.startsWith(prefix))
            out << r;
    return out;
}

} // namespace

class EndToEndConfigTest : public QObject {
    Q_OBJECT

    QTemporaryDir config;

    void resetState()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        shared() = SharedState();
    }

    // The "Testes" page, where the configuration commands are reached: the
    // live poll stops, and the link is free once its last reply is in.
    static void toTestsPage(TForm1 &w)
    {
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        QTRY_VERIFY_WITH_TIMEOUT(shared().readyToSend, 5000);
    }

    // Opens the sample-rate dialog and waits for the query to end.
    static void openSampleRate(TForm1 &w)
    {
        control<QAction>(w, "A1")->trigger();
        QVERIFY(Form4);
        QTRY_VERIFY_WITH_TIMEOUT(!shared().sequenceActive, 5000);
        QCOMPARE(w.statusText(StatusPanel::Activity), QStringLiteral("Leitura finalizada."));
    }

private slots:
    void cleanup()
    {
        delete Form2.data();
        delete Form4.data();
    }

    void clockReachesTheMeter()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY2(sim.start({"--drift", "0"}), qPrintable(sim.errorText()));
        QVERIFY(sim.writeSettings(config.path(), 1, 1));
        ModalCatcher catcher;
        TForm1 w;
        QCOMPARE(w.statusText(StatusPanel::Link), QStringLiteral("Conectado"));
        toTestsPage(w);

        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        control<QAction>(w, "AjustarRelgio1")->trigger();
        const QDateTime after = QDateTime::currentDateTime();
        QTRY_COMPARE_WITH_TIMEOUT(catcher.texts(), QStringList{"Relógio ajustado."}, 5000);
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("Aviso"));

        const QByteArrayList clock = requestsStartingWith(sim, "@H");
        QCOMPARE(clock.size(), 1);
        static const QRegularExpression shape(
            QStringLiteral("^@H(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)\r\n$"));
        const QRegularExpressionMatch m = shape.match(QString::fromLatin1(clock.first()));
        QVERIFY2(m.hasMatch(), clock.first().constData());
        auto n = [&m](int i) { return m.captured(i).toInt(); };
        const QDateTime at(QDate(2000 + n(6), n(5), n(4)), QTime(n(1), n(2), n(3)));
        QVERIFY2(at >= before && at <= after, clock.first().constData());
    }

    // "@i" changes what the meter answers to "@I": a second opening of the
    // dialog shows the new interval.
    void intervalReadBackByReopening()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY2(sim.start({"--drift", "0", "--interval", "3m"}), qPrintable(sim.errorText()));
        QVERIFY(sim.writeSettings(config.path(), 2, 2));
        TForm1 w;
        toTestsPage(w);

        openSampleRate(w);
        if (QTest::currentTestFailed())
            return;
        TForm4 *dialog = Form4;
        QCOMPARE(dialog->Edit1->text(), QStringLiteral("3"));
        QVERIFY(dialog->RadioButton1->isChecked());
        dialog->Edit1->setText(QStringLiteral(" 45 "));
        dialog->RadioButton2->setChecked(true);
        dialog->BitBtn5->click();
        QVERIFY(w.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(sim.requests().contains("@i0+45\r\n"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shared().readyToSend, 5000);

        openSampleRate(w);
        if (QTest::currentTestFailed())
            return;
        dialog = Form4;
        QCOMPARE(dialog->Edit1->text(), QStringLiteral("45"));
        QVERIFY(dialog->RadioButton2->isChecked());
        dialog->BitBtn6->click();

        QByteArrayList sequence;
        for (const QByteArray &r : sim.requests())
            if (!r.startsWith("@M") && !r.startsWith("@G") && !r.startsWith("@B"))
                sequence << r;
        QCOMPARE(sequence, (QByteArrayList{"@I\r\n", "@u\r\n", "@i0+45\r\n", "@I\r\n", "@u\r\n"}));
    }

    // An offset set from the calibration dialog shows in the meter's next
    // readings: in the dialog's "LER" and on the live page.
    void offsetShowsInTheReadings()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY2(sim.start({"--drift", "0", "--wet", "25", "--dry", "26", "--globe", "31"}),
                 qPrintable(sim.errorText()));
        QVERIFY(sim.writeSettings(config.path(), 3, 3));
        ModalCatcher catcher;
        TForm1 w;
        QTRY_COMPARE_WITH_TIMEOUT(control<TVrLabel>(w, "VrLabel1")->Caption(), QStringLiteral("25°C"), 5000);
        toTestsPage(w);

        catcher.entries = QStringList{"k4lt0x"};
        control<QAction>(w, "AjustarOFFSET1")->trigger();
        TForm2 *dialog = Form2;
        QVERIFY(dialog);
        QVERIFY(!w.isEnabled());
        dialog->PageControl1->setCurrentWidget(dialog->TabSheet1);
        dialog->BitBtn3->click(); // "LER"
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Edit2->text(), QStringLiteral("25"), 5000);
        QCOMPARE(dialog->Edit4->text(), QStringLiteral("26"));
        QCOMPARE(dialog->Edit6->text(), QStringLiteral("31"));
        dialog->Edit1->setText(QStringLiteral("25,5"));
        dialog->BitBtn1->click(); // "Ajustar OFFSET"
        QCOMPARE(catcher.texts(), QStringList{"Parâmetro calibrado."});
        QTRY_VERIFY_WITH_TIMEOUT(sim.requests().contains("@c1>3F000000\r\n"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shared().readyToSend, 5000);
        dialog->BitBtn3->click();
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Edit2->text(), QStringLiteral("25,5"), 5000);
        QCOMPARE(dialog->Edit4->text(), QStringLiteral("26"));

        // The globe channel zeroed alone, after an offset of its own.
        dialog->PageControl1->setCurrentWidget(dialog->TabSheet3);
        dialog->Edit5->setText(QStringLiteral("30"));
        dialog->BitBtn8->click();
        QTRY_VERIFY_WITH_TIMEOUT(sim.requests().contains("@c3>BF800000\r\n"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shared().readyToSend, 5000);
        dialog->BitBtn7->click();
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Edit6->text(), QStringLiteral("30"), 5000);
        dialog->BitBtn9->click(); // "Zerar OFFSET" on "GLO"
        QTRY_VERIFY_WITH_TIMEOUT(sim.requests().contains("@z3\r\n"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shared().readyToSend, 5000);
        dialog->BitBtn7->click();
        QTRY_COMPARE_WITH_TIMEOUT(dialog->Edit6->text(), QStringLiteral("31"), 5000);
        QCOMPARE(dialog->Edit2->text(), QStringLiteral("25,5"));

        // Back on the live page, the poller's readings carry the wet offset.
        dialog->close();
        QVERIFY(w.isEnabled());
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet1"));
        QTRY_COMPARE_WITH_TIMEOUT(control<TVrLabel>(w, "VrLabel1")->Caption(), QStringLiteral("25,5°C"), 5000);
        QCOMPARE(control<TVrLabel>(w, "VrLabel3")->Caption(), QStringLiteral("31°C"));

        // "Zerar OFFSET" from the menu clears every channel.
        toTestsPage(w);
        catcher.entries = QStringList{"k4lt0x"};
        control<QAction>(w, "ZerarOFFSET1")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(sim.requests().contains("@Z\r\n"), 5000);
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet1"));
        QTRY_COMPARE_WITH_TIMEOUT(control<TVrLabel>(w, "VrLabel1")->Caption(), QStringLiteral("25°C"), 5000);
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    EndToEndConfigTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_config.moc"
