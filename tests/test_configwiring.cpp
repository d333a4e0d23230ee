// The meter configuration as the main window's menu reaches it: "Ajustar
// Relógio", "Taxa de amostragem", "Calibrar" and "Zerar OFFSET", against the
// scripted serial platform. Timer1 is stopped and ticked by hand, so every
// byte on the line is one the test asked for.
#include "control/PollScheduler.h"
#include "core/SettingsLocation.h"
#include "forms/Calibra.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/Taxa.h"
#include "forms/TesteTemperatura.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"
#include "support/Controls.h"
#include "support/FakeComPlatform.h"
#include "support/ModalCatcher.h"
#include "support/TestData.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

void feed(TForm1 &w, const QByteArray &bytes)
{
    for (char c : bytes)
        w.ComTerminal1Char(&w.session().terminal(), c);
}

// The local date and time an "@H" command carries; invalid when it is not one.
QDateTime clockOf(const QByteArray &command)
{
    static const QRegularExpression shape(QStringLiteral("^@H(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)\r\n$"));
    const QRegularExpressionMatch m = shape.match(QString::fromLatin1(command));
    if (!m.hasMatch())
        return {};
    auto n = [&m](int i) { return m.captured(i).toInt(); };
    return QDateTime(QDate(2000 + n(6), n(5), n(4)), QTime(n(1), n(2), n(3)));
}

} // namespace

class ConfigWiringTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config;
    std::shared_ptr<FakeComPlatform> platform;

    // A main window on COM1 of the scripted platform, its timer stopped and
    // the "Testes" page shown, as the configuration commands are reached.
    std::unique_ptr<TForm1> openWindow()
    {
        QDir().mkpath(config->path() + "/Tavenor");
        QFile f(settingsFilePath());
        if (f.open(QIODevice::WriteOnly))
            f.write("Porta=1\nPassword=pelko\n");
        f.close();
        platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM1"};
        auto w = std::make_unique<TForm1>(nullptr, platform);
        w->session().pollTimer().stop();
        control<QTabWidget>(*w, "PageControl1")->setCurrentWidget(control<QWidget>(*w, "TabSheet3"));
        return w;
    }

    // The calibration dialog, opened from the menu with the maintenance password.
    static TForm2 *openCalibration(TForm1 &w, ModalCatcher &catcher)
    {
        catcher.entries = QStringList{"k4lt0x"};
        control<QAction>(w, "AjustarOFFSET1")->trigger();
        return Form2;
    }

    QByteArray written() const { return platform->device() ? platform->device()->written() : QByteArray(); }

private slots:
    void init()
    {
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
        shared() = SharedState();
    }

    void cleanup()
    {
        delete Form2.data();
        delete Form4.data();
    }

    // The clock goes out once the line is free: at once, or after the reply
    // the line waits for; it carries the time it is sent at.
    void clockFromTheComputer_data()
    {
        QTest::addColumn<bool>("linkFree");
        QTest::newRow("the link is free") << true;
        QTest::newRow("the link waits for a reply") << false;
    }

    void clockFromTheComputer()
    {
        ModalCatcher catcher;
        auto w = openWindow();
        QVERIFY(w->session().port().Connected());
        static_cast<MeterView &>(*w).setStatusText(StatusPanel::Activity, QStringLiteral("Leitura finalizada."));
        if (!FETCHED(bool, linkFree))
            w->commandSender().sendCommand("@M\r\n");
        const qsizetype earlier = written().size();

        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        control<QAction>(*w, "AjustarRelgio1")->trigger();
        QCOMPARE(w->statusText(StatusPanel::Activity), QString());
        if (!FETCHED(bool, linkFree)) {
            QCOMPARE(written().size(), earlier);
            feed(*w, ":W1D2G3\r\n");
            QTRY_VERIFY(written().size() > earlier);
        }
        const QDateTime after = QDateTime::currentDateTime();

        const QByteArray sent = written().mid(earlier);
        QCOMPARE(sent.size(), 16);
        const QDateTime at = clockOf(sent);
        QVERIFY2(at.isValid(), sent.constData());
        QVERIFY2(at >= before && at <= after, sent.constData());
        QVERIFY(!shared().readyToSend);
        // Only the meter's reply confirms it.
        QVERIFY(catcher.boxes.isEmpty());
        feed(*w, ":H140509071226\r\n");
        QTRY_COMPARE(catcher.texts(), QStringList{"Relógio ajustado."});
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("Aviso"));
        QVERIFY(shared().readyToSend);
    }

    void clockWithThePortClosedSaysItWasNotSent()
    {
        ModalCatcher catcher;
        auto w = openWindow();
        control<QAction>(*w, "Desconectar1")->trigger();
        QVERIFY(!w->session().port().Connected());
        platform->clearLog();
        static_cast<MeterView &>(*w).setStatusText(StatusPanel::Activity, QStringLiteral("Leitura finalizada."));
        control<QAction>(*w, "AjustarRelgio1")->trigger();
        QVERIFY(platform->log().filter(QStringLiteral("write")).isEmpty());
        QCOMPARE(w->statusText(StatusPanel::Activity), QString());
        QVERIFY(shared().readyToSend);
        QTRY_COMPARE(catcher.texts(), QStringList{"Medidor desconectado: o comando não foi enviado."});
    }

    // Opening the dialog starts the query: "@I" on the next free tick, "@u"
    // on the one after, and the reply to "@I" lands in the dialog.
    void sampleRateDialogAsksTheMeter()
    {
        auto w = openWindow();
        control<QAction>(*w, "A1")->trigger();
        QVERIFY(Form4);
        TForm4 *dialog = Form4;
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!dialog->parent());
        QVERIFY(!w->isEnabled());
        QCOMPARE(shared().downloadStep, int32_t(PollScheduler::SampleRate));
        QVERIFY(shared().sequenceActive);
        QVERIFY(written().isEmpty());

        w->Timer1Timer();
        QCOMPARE(written(), QByteArray("@I\r\n"));
        w->Timer1Timer(); // no answer yet: nothing more goes out
        QCOMPARE(written(), QByteArray("@I\r\n"));
        feed(*w, ":I0+010\r\n");
        QVERIFY(dialog->RadioButton2->isChecked());
        QCOMPARE(dialog->Edit1->text(), QStringLiteral("10"));
        w->Timer1Timer();
        QCOMPARE(written(), QByteArray("@I\r\n@u\r\n"));
        feed(*w, ":u600\r\n");
        w->Timer1Timer();
        QVERIFY(!shared().sequenceActive);
        QCOMPARE(w->statusText(StatusPanel::Activity), QStringLiteral("Leitura finalizada."));
        QCOMPARE(dialog->Edit1->text(), QStringLiteral("10"));

        // "Confirma" goes through the same port and gives the window back.
        dialog->Edit1->setText(QStringLiteral(" 15 "));
        QPointer<TForm4> guard(dialog);
        dialog->BitBtn5->click();
        QCOMPARE(written(), QByteArray("@I\r\n@u\r\n@i0+15\r\n"));
        QVERIFY(w->isEnabled());
        QTRY_VERIFY(guard.isNull());
    }

    void sampleRateDialogIsNewEachTime()
    {
        auto w = openWindow();
        control<QAction>(*w, "A1")->trigger();
        QPointer<TForm4> first = Form4.data();
        QVERIFY(first);
        first->Edit1->setText(QStringLiteral("77"));
        first->RadioButton1->setChecked(true);
        first->BitBtn6->click(); // "Cancelar": nothing sent
        QVERIFY(w->isEnabled());
        QTRY_VERIFY(first.isNull());
        QVERIFY(written().isEmpty());

        control<QAction>(*w, "A1")->trigger();
        QVERIFY(Form4);
        QCOMPARE(Form4->Edit1->text(), QStringLiteral("0"));
        QVERIFY(!Form4->RadioButton1->isChecked() && !Form4->RadioButton2->isChecked());
        QVERIFY(!w->isEnabled());
        QCOMPARE(shared().downloadStep, int32_t(PollScheduler::SampleRate));
    }

    // Only the maintenance password opens the calibration dialog.
    void calibrationGate_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("opens");
        QTest::newRow("cancelled") << QStringList{} << false;
        QTest::newRow("the user password is refused") << QStringList{"pelko"} << false;
        QTest::newRow("the maintenance password in capitals is refused") << QStringList{"K4LT0X"} << false;
        QTest::newRow("the maintenance password with a blank is refused") << QStringList{"k4lt0x "} << false;
        QTest::newRow("the maintenance password opens it") << QStringList{"k4lt0x"} << true;
    }

    void calibrationGate()
    {
        const bool opens = FETCHED(bool, opens);
        ModalCatcher catcher;
        auto w = openWindow();
        catcher.entries = FETCHED(QStringList, entries);
        control<QAction>(*w, "AjustarOFFSET1")->trigger();
        QCOMPARE(catcher.prompts, QStringList{"Senha|Digite a senha|masked"});
        QCOMPARE(catcher.texts(), opens ? QStringList{} : QStringList{"Ação não permitida"});
        for (const ModalCatcher::Box &b : catcher.boxes)
            QCOMPARE(b.caption, QStringLiteral("Aviso"));
        QCOMPARE(!Form2.isNull(), opens);
        QCOMPARE(w->isEnabled(), !opens);
        QVERIFY(written().isEmpty());
        if (opens) {
            QVERIFY(Form2->isVisible());
            QVERIFY(!Form2->parent());
            QVERIFY(Form2->windowFlags() & Qt::WindowStaysOnTopHint);
            QCOMPARE(Form2->PageControl1->currentWidget(), Form2->TabSheet3);
        }
    }

    // The calibration dialog talks through the main window's port, and the
    // reading replies reach it.
    void calibrationDialogUsesThePort()
    {
        ModalCatcher catcher;
        auto w = openWindow();
        TForm2 *dialog = openCalibration(*w, catcher);
        QVERIFY(dialog);
        dialog->BitBtn7->click(); // "LER" on "GLO"
        QCOMPARE(written(), QByteArray("@M\r\n"));
        feed(*w, ":W24.5D25.0G30.2\r\n");
        QCOMPARE(dialog->Edit2->text(), QStringLiteral("24,5"));
        QCOMPARE(dialog->Edit6->text(), QStringLiteral("30,2"));
        dialog->PageControl1->setCurrentWidget(dialog->TabSheet1);
        dialog->Edit1->setText(QStringLiteral("25"));
        dialog->BitBtn1->click(); // "Ajustar OFFSET" on "WET"
        QCOMPARE(written(), QByteArray("@M\r\n@c1>3F000000\r\n"));
        QCOMPARE(catcher.texts(), QStringList{"Parâmetro calibrado."});
        dialog->close();
        QVERIFY(w->isEnabled());
    }

    // Nothing reaches the line before the operator's yes, and a no sends
    // nothing at all.
    void calibrationWaitsForTheOperatorsYes()
    {
        ModalCatcher catcher;
        auto w = openWindow();
        TForm2 *dialog = openCalibration(*w, catcher);
        QVERIFY(dialog);
        QByteArrayList onTheLineWhenAsked;
        QList<bool> replies{false, true, true};
        catcher.answer = [&](const QString &) {
            onTheLineWhenAsked << written();
            return replies.takeFirst();
        };
        dialog->BitBtn8->click(); // "Ajustar OFFSET" on "GLO", the reference as it opened
        QVERIFY(catcher.questions.isEmpty());
        QCOMPARE(catcher.boxes.size(), 1);
        takeLine(shared(), "@M\r\n"); // the reading a "LER" asked for
        feed(*w, ":W24.5D25.0G24.5\r\n");
        dialog->Edit5->setText(QStringLiteral("25"));
        dialog->BitBtn8->click(); // no
        dialog->BitBtn8->click(); // yes
        feed(*w, ":c\r\n");       // the meter's answer frees the line
        dialog->BitBtn9->click(); // "Zerar OFFSET", yes
        QCOMPARE(catcher.questions, (QStringList{"Aplicar offset de 0,5 °C ao globo?",
                                                 "Aplicar offset de 0,5 °C ao globo?", "Zerar o offset do globo?"}));
        QCOMPARE(onTheLineWhenAsked, (QByteArrayList{"", "", "@c3>3F000000\r\n"}));
        QCOMPARE(written(), QByteArray("@c3>3F000000\r\n@z3\r\n"));
        QCOMPARE(catcher.texts().mid(1), (QStringList{"Parâmetro calibrado.", "Parâmetro calibrado."}));
    }

    void zeroOffsetsFromTheMenu()
    {
        ModalCatcher catcher;
        auto w = openWindow();
        catcher.entries = QStringList{"k4lt0x"};
        control<QAction>(*w, "ZerarOFFSET1")->trigger();
        QCOMPARE(written(), QByteArray("@Z\r\n"));
        QCOMPARE(catcher.texts(), QStringList{"Offset zerado..."});
        QVERIFY(Form2.isNull());
    }

    // The dialogs have no parent: closing the main window closes them, or
    // they would keep the program running.
    void closingTheMainWindowClosesTheDialogs_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("sample rate") << "Form4";
        QTest::newRow("calibration") << "Form2";
        QTest::newRow("test viewer") << "Form5";
    }

    void closingTheMainWindowClosesTheDialogs()
    {
        const QString kind = FETCHED(QString, dialog);
        ModalCatcher catcher;
        auto w = openWindow();
        w->show();
        catcher.entries = QStringList{"k4lt0x"};
        QPointer<QWidget> dialog;
        if (kind == "Form4") {
            control<QAction>(*w, "A1")->trigger();
            dialog = Form4.data();
        } else if (kind == "Form2") {
            control<QAction>(*w, "AjustarOFFSET1")->trigger();
            dialog = Form2.data();
        } else {
            dialog = openViewer(w.get());
            dialog->show();
        }
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(w->close());
        QVERIFY(!dialog.isNull() ? !dialog->isVisible() : true);
        QTRY_VERIFY(dialog.isNull());
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY2(!top->isVisible(), qPrintable(top->windowTitle()));
    }

    void destroyingTheMainWindowDestroysTheDialogs()
    {
        auto w = openWindow();
        control<QAction>(*w, "A1")->trigger();
        QPointer<TForm4> dialog = Form4.data();
        QVERIFY(dialog);
        w.reset();
        QVERIFY(dialog.isNull());
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    ConfigWiringTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_configwiring.moc"
