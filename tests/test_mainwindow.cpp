// The main window as the operator meets it: start-up state, menus, status
// bar, the password commands, the live page, shut-down, and the default
// error report.
#include "core/AppError.h"
#include "core/SettingsLocation.h"
#include "core/WindowGuard.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/TesteTemperatura.h"
#include "link/ReplyTurn.h"
#include "support/Controls.h"
#include "support/FakeComPlatform.h"
#include "support/ModalCatcher.h"
#include "support/TestData.h"
#include "widgets/TVrLabel.h"
#include "widgets/TVrProgressBar.h"
#include "widgets/TvrThermoMeter.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {

QString menuLayout(QMenu *menu)
{
    QStringList items;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            items << "-";
        else
            items << a->text() + (a->shortcut().isEmpty() ? QString() : "[" + a->shortcut().toString() + "]");
    }
    return items.join(", ");
}

void feed(TForm1 &w, const QByteArray &bytes)
{
    for (char c : bytes)
        w.ComTerminal1Char(&w.session().terminal(), c);
}

// The controls of the shown page that can hold the focus, in tab order:
// the page tabs, and on "Testes" the tree and the "Realizados" field.
QList<QWidget *> focusableControls(TForm1 &w)
{
    QList<QWidget *> controls;
    for (QWidget *c : w.findChildren<QWidget *>())
        if ((c->focusPolicy() & Qt::TabFocus) && !c->focusProxy() && c->isVisible() && c->isEnabled())
            controls << c;
    return controls;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config;

    // A settings file whose [Portas] maps no device, so nothing real opens.
    void writeSettings(const QString &ini)
    {
        QDir().mkpath(config->path() + "/Tavenor");
        QFile f(settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini.toUtf8());
    }

private slots:
    void init()
    {
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
        shared() = SharedState();
    }

    void firstRunStartUp()
    {
        ModalCatcher catcher;
        // No real device: the first run still tries COM1.
        auto platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM9"};
        {
            TForm1 w(nullptr, platform);
            QCOMPARE(catcher.texts(), QStringList{"Não existe a chave no registro"});
            QVERIFY(platform->log().contains("open COM1"));
            QVERIFY(!w.session().port().Connected());
            QCOMPARE(catcher.boxes.first().caption, QStringLiteral("VESTARA"));
            QCOMPARE(w.windowTitle(), QStringLiteral("Tavenor - Instrumentos de Medição V1.02b"));
            QCOMPARE(w.statusText(0), QStringLiteral("Comm0"));
            for (QAction *a : {control<QAction>(w, "Comm11"), control<QAction>(w, "Comm21"),
                               control<QAction>(w, "Comm31"), control<QAction>(w, "Comm41")})
                QVERIFY(!a->isChecked());
            QCOMPARE(control<QTabWidget>(w, "PageControl1")->count(), 2);
            QCOMPARE(control<QTabWidget>(w, "PageControl1")->tabText(0), QStringLiteral("Medições"));
            QCOMPARE(control<QTabWidget>(w, "PageControl1")->tabText(1), QStringLiteral("Testes"));
            QCOMPARE(control<QTabWidget>(w, "PageControl1")->currentWidget(), control<QWidget>(w, "TabSheet1"));
            for (QLabel *l :
                 {control<QLabel>(w, "Label6"), control<QLabel>(w, "Label7"), control<QLabel>(w, "Label8"),
                  control<QLabel>(w, "Label9"), control<QLabel>(w, "Label10"), control<QLabel>(w, "Label11")})
                QVERIFY(l->text().isEmpty());
            QCOMPARE(control<TvrThermoMeter>(w, "vrThermoMeter1")->Color(), QColor(170, 170, 170));
            QCOMPARE(control<TVrProgressBar>(w, "VrProgressBar1")->Position(), 0);
            QCOMPARE(control<QProgressBar>(w, "ProgressBar1")->toolTip(), QStringLiteral("Memória disponível"));
            QVERIFY(control<QLineEdit>(w, "Edit2")->isReadOnly());
            QVERIFY(control<QAction>(w, "oC1")->isChecked() && !control<QAction>(w, "oF1")->isChecked());
            QVERIFY(w.session().pollTimer().isActive());
            QVERIFY(!w.session().searchTimer().isActive());
            QVERIFY(!control<QLabel>(w, "Image2")->isVisibleTo(&w) && control<QLabel>(w, "Image4")->isVisibleTo(&w));
            QCOMPARE(shared().userPassword, QStringLiteral("pelko"));
            w.close();
        }
        // Closing wrote both values.
        QSettings ini(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value("Porta").toInt(), 0);
        QCOMPARE(ini.value("Password").toString(), QStringLiteral("pelko"));
    }

    // The sender the main window hands to its dialogs is the port selection:
    // the command reaches the device and the link waits for its answer; once
    // the port is closed a command is dropped without an error.
    void commandSenderIsThePort()
    {
        writeSettings("Porta=1\nPassword=pelko\n");
        auto platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM1"};
        TForm1 w(nullptr, platform);
        QVERIFY(w.session().port().Connected());
        shared().readyToSend = true;
        w.commandSender().sendCommand("@I\r\n");
        QCOMPARE(platform->device()->written(), QByteArray("@I\r\n"));
        QVERIFY(!shared().readyToSend);
        control<QAction>(w, "Desconectar1")->trigger();
        w.commandSender().sendCommand("@u\r\n");
        QVERIFY(!w.session().port().Connected());
    }

    void closingDisconnectsAndSaves()
    {
        writeSettings("Porta=1\nPassword=pelko\n");
        auto platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM1"};
        TForm1 w(nullptr, platform);
        QVERIFY(w.session().port().Connected());
        QCOMPARE(w.statusText(1), QStringLiteral("Conectado"));
        shared().portNumber = 4; // as a port search would leave it
        QVERIFY(w.close());
        QVERIFY(!w.session().port().Connected());
        QSettings ini(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value("Porta").toInt(), 4);
    }

    void unwritableSettingsStillClose()
    {
        // A plain file where the settings folder should be: nothing can be written.
        QFile blocker(config->path() + "/Tavenor");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ModalCatcher catcher;
        TForm1 w;
        catcher.boxes.clear();
        QVERIFY(w.close());
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("VESTARA"));
        QCOMPARE(catcher.boxes.first().icon, int(QMessageBox::Critical));
    }

    void storedPortSeven()
    {
        writeSettings("Porta=7\nPassword=abc\n[Portas]\nCOM9=/nonexistent\n");
        ModalCatcher catcher;
        TForm1 w;
        QVERIFY(catcher.boxes.isEmpty());
        QCOMPARE(w.statusText(0), QStringLiteral("Comm7"));
        QCOMPARE(w.statusText(1), QString());
        QCOMPARE(w.session().port().Port(), QStringLiteral("COM7"));
        QVERIFY(!w.session().port().Connected());
        for (QAction *a : {control<QAction>(w, "Comm11"), control<QAction>(w, "Comm21"), control<QAction>(w, "Comm31"),
                           control<QAction>(w, "Comm41")})
            QVERIFY(!a->isChecked());
        QCOMPARE(shared().userPassword, QStringLiteral("abc"));
    }

    void menus()
    {
        writeSettings("Porta=2\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        QStringList top;
        for (QAction *a : w.menuBar()->actions())
            top << a->text();
        QCOMPARE(top, (QStringList{"Arquivo", "Opções", "Comunicação"}));
        QCOMPARE(menuLayout(control<QMenu>(w, "Arquivo1")),
                 QStringLiteral("Carregar teste[Ctrl+L], Biblioteca[Ctrl+B], -, Senhas[Ctrl+S], -, Sair[Ctrl+X]"));
        QCOMPARE(menuLayout(control<QMenu>(w, "Opes1")),
                 QStringLiteral("Ajustar Relógio[F3], Unidade, Taxa de amostragem[F4], -, Ler Testes[F5], -, "
                                "Apagar memória[Ctrl+A], -, Zerar OFFSET[Ctrl+Z], Calibrar"));
        QCOMPARE(menuLayout(control<QMenu>(w, "Unidade1")), QStringLiteral("°C, °F"));
        QCOMPARE(menuLayout(control<QMenu>(w, "Comunicao1")),
                 QStringLiteral("Porta Serial, -, Procurar[F10], -, Desconectar"));
        QCOMPARE(menuLayout(control<QMenu>(w, "PortaSerial1")), QStringLiteral("Comm1, Comm2, Comm3, Comm4"));
        // The stored port's item is checked at start-up, then unchecked
        // because no device answers to it.
        QVERIFY(!control<QAction>(w, "Comm21")->isChecked());
    }

    void statusBarPanels()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        w.show();
        QList<QLabel *> panels = w.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(panels.size(), 3);
        QCOMPARE(panels[0]->width(), 80);
        QCOMPARE(panels[1]->width(), 100);
        QVERIFY(panels[0]->alignment() & Qt::AlignHCenter);
        QVERIFY(panels[1]->alignment() & Qt::AlignHCenter);
        QVERIFY(panels[2]->alignment() & Qt::AlignLeft);
    }

    void unitMenuSendsNothingWhilePortClosed()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        control<QAction>(w, "oF1")->trigger();
        QVERIFY(control<QAction>(w, "oF1")->isChecked() && !control<QAction>(w, "oC1")->isChecked());
        QVERIFY(shared().readyToSend);
        control<QAction>(w, "oC1")->trigger();
        QVERIFY(control<QAction>(w, "oC1")->isChecked() && !control<QAction>(w, "oF1")->isChecked());
    }

    void liveReadingsOnThePage_data()
    {
        QTest::addColumn<QByteArray>("frames");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("before any frame") << QByteArray() << QStringList{"0°C", "0°C", "0°C", "0°C", "0°C"};
        QTest::newRow("celsius") << QByteArray(":W25.3D26.1G31.0\r\n")
                                 << QStringList{"25,3°C", "26,1°C", "31°C", "27,01°C", "26,52°C"};
        QTest::newRow("fahrenheit") << QByteArray(":w77D78.8G88\r\n")
                                    << QStringList{"77°F", "78,8°F", "88°F", "80,3°F", "79,38°F"};
    }

    void liveReadingsOnThePage()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        takeLine(shared(), "@M\r\n");
        feed(w, FETCHED(QByteArray, frames));
        w.Timer1Timer();
        QCOMPARE((QStringList{control<TVrLabel>(w, "VrLabel1")->Caption(), control<TVrLabel>(w, "VrLabel2")->Caption(),
                              control<TVrLabel>(w, "VrLabel3")->Caption(), control<TVrLabel>(w, "VrLabel6")->Caption(),
                              control<TVrLabel>(w, "VrLabel10")->Caption()}),
                 FETCHED(QStringList, texts));
        QCOMPARE(control<TvrThermoMeter>(w, "vrThermoMeter2")->value(), double(shared().dryReading));
    }

    void maxMinAndMemoryFromFrames()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        const QList<QPair<QByteArray, QByteArray>> answers{
            {"@G", ":G30.5D32.0G40.2\r\n"}, {"@B", ":b1D2G3\r\n"}, {"@F", ":FT2000L1500\r\n"}, {"@U1", ":U\r\n"}};
        for (const auto &[request, frame] : answers) {
            takeLine(shared(), request + "\r\n");
            feed(w, frame);
        }
        QCOMPARE(control<QLabel>(w, "Label6")->text(), QStringLiteral("30,5°C"));
        QCOMPARE(control<QLabel>(w, "Label8")->text(), QStringLiteral("32,0°C"));
        QCOMPARE(control<QLabel>(w, "Label10")->text(), QStringLiteral("40,2°C"));
        QCOMPARE(control<QLabel>(w, "Label11")->text(), QStringLiteral("3°F"));
        QCOMPARE(control<QProgressBar>(w, "ProgressBar1")->maximum(), 2000);
        QCOMPARE(control<QProgressBar>(w, "ProgressBar1")->value(), 1500);
        QCOMPARE(w.statusText(2), QStringLiteral("Parâmetro ajustado..."));
    }

    void passwordCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("passwordAfter");
        // The port is closed: an opened command says it was not sent.
        const QStringList notSent{"Medidor desconectado: o comando não foi enviado."};
        // An erase reads the meter's tests first, to warn of those not kept.
        QTest::newRow("erase, user password")
            << "Apagarmemria1" << QStringList{"pelko"}
            << QStringList{"A memória não foi apagada: não foi possível ler os testes do medidor."} << "pelko";
        QTest::newRow("erase, wrong case")
            << "Apagarmemria1" << QStringList{"Pelko"} << QStringList{"Ação não permitida"} << "pelko";
        QTest::newRow("erase, cancelled")
            << "Apagarmemria1" << QStringList{} << QStringList{"Ação não permitida"} << "pelko";
        QTest::newRow("zero offsets, user password refused")
            << "ZerarOFFSET1" << QStringList{"pelko"} << QStringList{"Ação não permitida"} << "pelko";
        QTest::newRow("zero offsets, maintenance") << "ZerarOFFSET1" << QStringList{"k4lt0x"} << notSent << "pelko";
        QTest::newRow("change password") << "Senhas1" << QStringList{"pelko", "nova", "nova"} << QStringList{}
                                         << "nova";
        QTest::newRow("change password, mismatch")
            << "Senhas1" << QStringList{"k4lt0x", "nova", "Nova"} << QStringList{"Senha inválida"} << "pelko";
    }

    void passwordCommands()
    {
        QFETCH(QString, item);
        writeSettings("Porta=1\nPassword=pelko\n[Portas]\nCOM96=/nonexistent/tty\n");
        ModalCatcher catcher;
        TForm1 w;
        catcher.entries = FETCHED(QStringList, entries);
        w.findChild<QAction *>(QString()); // keep the window's actions alive
        QAction *action = item == "Senhas1"        ? control<QAction>(w, "Senhas1")
                          : item == "ZerarOFFSET1" ? control<QAction>(w, "ZerarOFFSET1")
                                                   : control<QAction>(w, "Apagarmemria1");
        action->trigger();
        QTRY_COMPARE(catcher.texts(), FETCHED(QStringList, messages));
        for (const ModalCatcher::Box &b : catcher.boxes)
            QCOMPARE(b.caption, QStringLiteral("Aviso"));
        QCOMPARE(catcher.prompts.first(), QStringLiteral("Senha|Digite a senha|masked"));
        QCOMPARE(shared().userPassword, FETCHED(QString, passwordAfter));
    }

    void changedPasswordSurvivesRestart()
    {
        writeSettings("Porta=3\nPassword=pelko\n[Portas]\nCOM9=/dev/null-device\n");
        ModalCatcher catcher;
        {
            TForm1 w;
            catcher.entries = QStringList{"pelko", "senha nova", "senha nova"};
            control<QAction>(w, "Senhas1")->trigger();
            w.close();
        }
        shared() = SharedState();
        {
            TForm1 w;
            QCOMPARE(shared().userPassword, QStringLiteral("senha nova"));
            QCOMPARE(w.statusText(0), QStringLiteral("Comm3"));
        }
        // The device map was left as it was.
        QSettings ini(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value("Portas/COM9").toString(), QStringLiteral("/dev/null-device"));
    }

    // The new password is on disk before the window closes: a run that ends
    // without closing it still keeps the password.
    void changedPasswordWrittenAtOnce()
    {
        writeSettings("Porta=3\nPassword=pelko\n[Portas]\nCOM9=/dev/null-device\n");
        ModalCatcher catcher;
        TForm1 w;
        catcher.entries = QStringList{"pelko", "nova", "nova"};
        control<QAction>(w, "Senhas1")->trigger();
        QVERIFY(catcher.boxes.isEmpty());
        QSettings ini(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value("Password").toString(), QStringLiteral("nova"));
    }

    // A settings file made read-only is not replaced; the operator hears it
    // once, at the password change, and not again at the close.
    void readOnlySettingsReportedOnce()
    {
        writeSettings("Porta=1\nPassword=pelko\n[Portas]\nCOM96=/nonexistent/tty\n");
        QVERIFY(QFile::setPermissions(settingsFilePath(), QFile::ReadOwner | QFile::ReadGroup));
        ModalCatcher catcher;
        {
            TForm1 w;
            catcher.entries = QStringList{"pelko", "nova", "nova"};
            control<QAction>(w, "Senhas1")->trigger();
            QCOMPARE(catcher.boxes.size(), 1);
            QVERIFY2(catcher.boxes.first().text.contains(QStringLiteral("somente leitura")),
                     qPrintable(catcher.boxes.first().text));
            QVERIFY(w.close());
        }
        QCOMPARE(catcher.boxes.size(), 1);
        QSettings ini(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(ini.value("Password").toString(), QStringLiteral("pelko"));
    }

    // The port opened again (a "Comm" item) while a reply was half received:
    // the parser starts afresh, so the meter's next reply reads whole and is
    // not taken for the rest of the broken one.
    void reconnectMidFrameStartsAfresh_data()
    {
        QTest::addColumn<QByteArray>("broken");
        QTest::newRow("inside the wet value") << QByteArray(":W25");
        QTest::newRow("inside the dry value") << QByteArray(":W25.3D2");
        QTest::newRow("inside the maxima") << QByteArray(":G30.5D3");
        QTest::newRow("at a stored record's dry tag") << QByteArray(":A[1]d t =1\001");
    }

    void reconnectMidFrameStartsAfresh()
    {
        QFETCH(QByteArray, broken);
        writeSettings("Porta=1\nPassword=pelko\n");
        auto platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM1"};
        TForm1 w(nullptr, platform);
        QVERIFY(w.session().port().Connected());
        takeLine(shared(), QByteArray("@") + (broken[1] == 'W' ? 'M' : broken[1]) + "\r\n");
        feed(w, broken);
        control<QAction>(w, "Comm11")->trigger();
        QVERIFY(w.session().port().Connected());
        QCOMPARE(shared().replyState, 0);
        QVERIFY(shared().replyField.empty());
        QVERIFY(shared().readyToSend);
        takeLine(shared(), "@M\r\n");
        feed(w, ":W30.5D31.5G32.5\r\n");
        w.Timer1Timer();
        QCOMPARE((QStringList{control<TVrLabel>(w, "VrLabel1")->Caption(), control<TVrLabel>(w, "VrLabel2")->Caption(),
                              control<TVrLabel>(w, "VrLabel3")->Caption()}),
                 (QStringList{"30,5°C", "31,5°C", "32,5°C"}));
    }

    // The first tick comes 100 ms after the start, then the poll settles to
    // one request a second.
    void timer1StartsAtHundredMilliseconds()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        QVERIFY(w.session().pollTimer().isActive());
        QCOMPARE(w.session().pollTimer().interval(), 100);
    }

    void testListReadWithClosedPort()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        control<QTreeWidget>(w, "TreeView1")
            ->addTopLevelItem(new QTreeWidgetItem(QStringList{"Teste 1 -> Registros = 25"}));
        control<QAction>(w, "LerTestes1")->trigger();
        QVERIFY(!control<QMenu>(w, "Unidade1")->isEnabled());
        QVERIFY(control<QPushButton>(w, "CancelarLeitura")->isEnabled());
        QCOMPARE(w.statusText(2), QStringLiteral("Lendo ..."));
        for (int i = 0; i < 10 && shared().sequenceActive; ++i)
            w.Timer1Timer();
        // The read ends at its first request, the old tree gone.
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItemCount(), 0);
        QVERIFY(control<QMenu>(w, "Unidade1")->isEnabled());
        QVERIFY(!control<QPushButton>(w, "CancelarLeitura")->isEnabled());
        QVERIFY(control<QMenu>(w, "Opes1")->isEnabled());
        QCOMPARE(w.statusText(2), QStringLiteral("Leitura interrompida na contagem de testes: medidor desconectado."));
    }

    // "Cancelar" (Esc) stops a list read that the meter answers slowly.
    void cancellingTheListRead()
    {
        writeSettings("Porta=1\nPassword=pelko\n");
        auto platform = std::make_shared<FakeComPlatform>();
        platform->present = QStringList{"COM1"};
        TForm1 w(nullptr, platform);
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        control<QAction>(w, "LerTestes1")->trigger();
        w.Timer1Timer();
        QCOMPARE(platform->device()->written(), QByteArray("@T\r\n"));
        QCOMPARE(control<QPushButton>(w, "CancelarLeitura")->shortcut(), QKeySequence(Qt::Key_Escape));
        QTest::mouseClick(control<QPushButton>(w, "CancelarLeitura"), Qt::LeftButton);
        QVERIFY(!shared().sequenceActive);
        QVERIFY(control<QMenu>(w, "Unidade1")->isEnabled());
        QCOMPARE(w.statusText(2), QStringLiteral("Leitura cancelada."));
        feed(w, ":T3\r\n"); // the reply in flight fills nothing
        w.Timer1Timer();
        QCOMPARE(shared().testCount, 0);
        QCOMPARE(platform->device()->written(), QByteArray("@T\r\n"));
    }

    void defaultErrorReport()
    {
        ModalCatcher catcher;
        QTimer::singleShot(0, [] { throw AppError(QStringLiteral("Falha de teste")); });
        QTRY_COMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().caption, QStringLiteral("VESTARA"));
        QCOMPARE(catcher.boxes.first().text, QStringLiteral("Falha de teste"));
        QCOMPARE(catcher.boxes.first().icon, int(QMessageBox::Critical));
        // The program goes on.
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        QTRY_VERIFY(ran);
    }

    void windowGuard()
    {
        QPointer<QLineEdit> field;
        QVERIFY(!guardedWrite(field, [](QLineEdit *e) { e->setText("x"); })); // never created
        field = new QLineEdit;
        QVERIFY(guardedWrite(field, [](QLineEdit *e) { e->setText("ok"); }));
        QCOMPARE(field->text(), QStringLiteral("ok"));
        QVERIFY(!guardedWrite(field, [](QLineEdit *) { throw AppError("falhou"); }));
        delete field.data();
        QVERIFY(!guardedWrite(field, [](QLineEdit *e) { e->setText("x"); })); // gone
    }

    void decimalCommaWhateverTheMachine()
    {
        QCOMPARE(QLocale().toString(1234.5), QStringLiteral("1234,5"));
        bool ok = false;
        QCOMPARE(QLocale().toDouble(QStringLiteral("24,7"), &ok), 24.7);
        QVERIFY(ok);
    }

    // Every menu shortcut works wherever the focus is in the main window, the
    // read-only "Realizados" field (which would keep Ctrl+A and Ctrl+X as
    // "select all" and "cut") included. Commands behind the password show
    // their prompt; "Sair" closes the window; the others are seen triggered.
    void shortcutsFromEveryControl_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Carregar teste, Ctrl+L") << "Carregarteste1" << QKeySequence(Qt::CTRL | Qt::Key_L);
        QTest::newRow("Senhas, Ctrl+S") << "Senhas1" << QKeySequence(Qt::CTRL | Qt::Key_S);
        QTest::newRow("Sair, Ctrl+X") << "Sair1" << QKeySequence(Qt::CTRL | Qt::Key_X);
        QTest::newRow("Ajustar Relógio, F3") << "AjustarRelgio1" << QKeySequence(Qt::Key_F3);
        QTest::newRow("Taxa de amostragem, F4") << "A1" << QKeySequence(Qt::Key_F4);
        QTest::newRow("Ler Testes, F5") << "LerTestes1" << QKeySequence(Qt::Key_F5);
        QTest::newRow("Apagar memória, Ctrl+A") << "Apagarmemria1" << QKeySequence(Qt::CTRL | Qt::Key_A);
        QTest::newRow("Zerar OFFSET, Ctrl+Z") << "ZerarOFFSET1" << QKeySequence(Qt::CTRL | Qt::Key_Z);
        QTest::newRow("Procurar, F10") << "Procurar1" << QKeySequence(Qt::Key_F10);
    }

    void shortcutsFromEveryControl()
    {
        QFETCH(QString, item);
        QFETCH(QKeySequence, keys);
        writeSettings("Porta=1\nPassword=pelko\n[Portas]\nCOM96=/nonexistent/tty\n");
        const bool gated = item == "Senhas1" || item == "Apagarmemria1" || item == "ZerarOFFSET1";
        int tried = 0;
        for (int page = 0; page < 2; ++page) {
            for (int n = 0;; ++n) {
                ModalCatcher catcher;
                TForm1 w;
                control<QTabWidget>(w, "PageControl1")->setCurrentIndex(page);
                w.show();
                w.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&w));
                const QList<QWidget *> controls = focusableControls(w);
                if (n >= controls.size())
                    break;
                QWidget *focused = controls[n];
                // Entered by Tab, the field holds its text selected: then it
                // would keep Ctrl+X ("cut") as well as Ctrl+A.
                static_cast<MeterView &>(w).setTestCountText(QStringLiteral("3"));
                focused->setFocus(Qt::TabFocusReason);
                QTRY_COMPARE(QApplication::focusWidget(), focused);
                if (auto *field = qobject_cast<QLineEdit *>(focused))
                    field->selectAll();
                QAction *target = nullptr;
                for (QAction *a :
                     {control<QAction>(w, "Carregarteste1"), control<QAction>(w, "Senhas1"),
                      control<QAction>(w, "Sair1"), control<QAction>(w, "AjustarRelgio1"), control<QAction>(w, "A1"),
                      control<QAction>(w, "LerTestes1"), control<QAction>(w, "Apagarmemria1"),
                      control<QAction>(w, "ZerarOFFSET1"), control<QAction>(w, "Procurar1")})
                    if (a->shortcut() == keys)
                        target = a;
                QVERIFY(target);
                // Dialogs and searches are not the point here: only that the
                // command is reached.
                if (!gated && item != "Sair1")
                    QObject::disconnect(target, &QAction::triggered, &w, nullptr);
                QSignalSpy triggered(target, &QAction::triggered);
                const QString where =
                    QStringLiteral("page %1, %2 %3")
                        .arg(page)
                        .arg(QString::fromLatin1(focused->metaObject()->className()), focused->objectName());
                QTest::keyClick(focused, Qt::Key(keys[0].key()), keys[0].keyboardModifiers());
                QVERIFY2(triggered.count() == 1, qPrintable(where));
                if (gated)
                    QVERIFY2(catcher.prompts.value(0) == QStringLiteral("Senha|Digite a senha|masked"),
                             qPrintable(where));
                if (item == "Sair1")
                    QVERIFY2(!w.isVisible(), qPrintable(where));
                w.hide();
                ++tried;
            }
        }
        QVERIFY(tried >= 4); // a tab bar on each page, the tree and "Realizados"
    }

    void screenshot()
    {
        writeSettings("Porta=1\n[Portas]\nCOM96=/nonexistent/tty\n");
        TForm1 w;
        feed(w, ":W25.3D26.1G31.0\r\n:G30.5D32.0G40.2\r\n:B20.1D21.7G22.9\r\n");
        w.Timer1Timer();
        w.show();
        const QPixmap shot = w.grab();
        QVERIFY(!shot.isNull());
        if (qEnvironmentVariableIsSet("VESTARA_SCREENSHOT")) {
            shot.save(qEnvironmentVariable("VESTARA_SCREENSHOT") + "-medicoes.png");
            feed(w, ":T2\r\n:FT2000L1500\r\n");
            static_cast<MeterView &>(w).addTestNode("Teste 1 -> Registros = 5");
            static_cast<MeterView &>(w).addTestNode("Teste 2 -> Registros = 7");
            control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
            w.Timer1Timer();
            w.grab().save(qEnvironmentVariable("VESTARA_SCREENSHOT") + "-testes.png");
        }
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
