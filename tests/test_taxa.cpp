// The sample-rate dialog driven offscreen: what "Confirma" sends byte for
// byte, the length refusal, closing by every road with the main window enabled
// again, and the reply side filling the unit and the interval.

#include "core/MainWindowSink.h"
#include "core/SharedState.h"
#include "forms/Forms.h"
#include "forms/Taxa.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"
#include "support/ModalCatcher.h"
#include "support/RecordingQueue.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

enum class Unit { None, Seconds, Minutes };

} // namespace

Q_DECLARE_METATYPE(Unit)

class TaxaTest : public QObject {
    Q_OBJECT
private slots:
    void opening();
    void confirm_data();
    void confirm();
    void closing_data();
    void closing();
    void replyFillsTheDialog();
    void meterRepliesReachTheDialog();
    void aNewDialogReplacesTheClosedOne();

private:
    SharedState state;
    QWidget mainWindow; // stands in for Form1
};

void TaxaTest::opening()
{
    mainWindow.show();
    RecordingQueue sender;
    QPointer<TForm4> dialog = new TForm4(sender, &mainWindow);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Taxa de amostragem"));
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog->Edit1->text(), QStringLiteral("0"));
    QVERIFY(!dialog->RadioButton1->isChecked());
    QVERIFY(!dialog->RadioButton2->isChecked());
    QCOMPARE(dialog->RadioButton1->text(), QStringLiteral("Minutos"));
    QCOMPARE(dialog->RadioButton2->text(), QStringLiteral("Segundo"));
    QCOMPARE(dialog->BitBtn5->text(), QStringLiteral("Confirma"));
    QCOMPARE(dialog->BitBtn6->text(), QStringLiteral("Cancelar"));
    QCOMPARE(Form4.data(), dialog.data());
    QVERIFY(sampleRateSlot().isOpen());
    QVERIFY(!mainWindow.isEnabled());
    QVERIFY(sender.sent.isEmpty()); // the query is the scheduler's

    dialog->close();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 2000);
    QVERIFY(mainWindow.isEnabled());
}

void TaxaTest::confirm_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<QByteArray>("command"); // empty: refused
    QTest::newRow("blanks around the interval are removed, seconds send unit 0")
        << " 15 " << Unit::Seconds << QByteArray("@i0+15\r\n");
    QTest::newRow("minutes send unit 1") << "5" << Unit::Minutes << QByteArray("@i1+5\r\n");
    QTest::newRow("no unit checked sends unit 1") << "7" << Unit::None << QByteArray("@i1+7\r\n");
    QTest::newRow("999 is accepted") << "999" << Unit::Seconds << QByteArray("@i0+999\r\n");
    QTest::newRow("1000 is refused") << "1000" << Unit::Seconds << QByteArray();
    QTest::newRow("an empty field is refused") << "" << Unit::Minutes << QByteArray();
    QTest::newRow("three letters are refused") << "abc" << Unit::Seconds << QByteArray();
    QTest::newRow("zero, the meter's unanswered default, is refused") << "0" << Unit::None << QByteArray();
}

void TaxaTest::confirm()
{
    QFETCH(QString, interval);
    QFETCH(Unit, unit);
    QFETCH(QByteArray, command);
    RecordingQueue sender;
    ModalCatcher catcher;
    QPointer<TForm4> dialog = new TForm4(sender, &mainWindow);
    dialog->Edit1->setText(interval);
    if (unit == Unit::Seconds)
        QTest::mouseClick(dialog->RadioButton2, Qt::LeftButton);
    if (unit == Unit::Minutes)
        QTest::mouseClick(dialog->RadioButton1, Qt::LeftButton);
    QTest::mouseClick(dialog->BitBtn5, Qt::LeftButton);

    if (command.isEmpty()) {
        QVERIFY(sender.sent.isEmpty());
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].caption, QStringLiteral("Aviso"));
        QCOMPARE(catcher.boxes[0].text, QStringLiteral("Parâmetro de tempo inválido."));
    } else {
        QCOMPARE(sender.sent, QList<QByteArray>{command});
        QVERIFY(catcher.boxes.isEmpty()); // nothing confirms the command
    }
    // The dialog closes either way.
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 2000);
    QVERIFY(mainWindow.isEnabled());
    QVERIFY(!sampleRateSlot().isOpen());
}

void TaxaTest::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancelar") << "cancel";
    QTest::newRow("the title bar's close button") << "close";
    QTest::newRow("destroyed without closing") << "delete";
}

void TaxaTest::closing()
{
    QFETCH(QString, how);
    RecordingQueue sender;
    QPointer<TForm4> dialog = new TForm4(sender, &mainWindow);
    dialog->Edit1->setText("12");
    QVERIFY(!mainWindow.isEnabled());
    if (how == "cancel")
        QTest::mouseClick(dialog->BitBtn6, Qt::LeftButton);
    else if (how == "close")
        dialog->close();
    else
        delete dialog.data();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 2000);
    QVERIFY(sender.sent.isEmpty());
    QVERIFY(mainWindow.isEnabled());
    QVERIFY(Form4.isNull());
    QVERIFY(!sampleRateSlot().isOpen());
}

void TaxaTest::replyFillsTheDialog()
{
    RecordingQueue sender;
    QPointer<TForm4> dialog = new TForm4(sender, &mainWindow);
    SampleRateSink &sink = sampleRateSlot().get();
    sink.checkSampleUnit(true);
    QVERIFY(dialog->RadioButton2->isChecked());
    QVERIFY(!dialog->RadioButton1->isChecked());
    sink.checkSampleUnit(false); // the two exclude each other
    QVERIFY(dialog->RadioButton1->isChecked());
    QVERIFY(!dialog->RadioButton2->isChecked());
    sink.setSampleInterval("10");
    QCOMPARE(dialog->Edit1->text(), QStringLiteral("10"));

    // What the reply filled in is what "Confirma" sends back.
    QTest::mouseClick(dialog->BitBtn5, Qt::LeftButton);
    QCOMPARE(sender.sent, QList<QByteArray>{"@i1+10\r\n"});
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 2000);

    // Once closed, the reply's writes go nowhere.
    sampleRateSlot().get().setSampleInterval("7");
    sampleRateSlot().get().checkSampleUnit(true);
}

void TaxaTest::meterRepliesReachTheDialog()
{
    RecordingQueue sender;
    NullMainWindowSink mainSink;
    ReplyParser parser(state, mainSink, windowSlots());
    QPointer<TForm4> dialog = new TForm4(sender, &mainWindow);

    takeLine(state, "@I\r\n");
    parser.feed(":I0+010\r\n"); // leading zeros disappear
    QVERIFY(dialog->RadioButton2->isChecked());
    QVERIFY(!dialog->RadioButton1->isChecked());
    QCOMPARE(dialog->Edit1->text(), QStringLiteral("10"));

    takeLine(state, "@I\r\n");
    parser.feed(":I1+5\r\n");
    QVERIFY(dialog->RadioButton1->isChecked());
    QVERIFY(!dialog->RadioButton2->isChecked());
    QCOMPARE(dialog->Edit1->text(), QStringLiteral("5"));

    takeLine(state, "@u\r\n");
    parser.feed(":u1\r\n");     // the unit reply changes nothing
    takeLine(state, "@I\r\n");
    parser.feed(":I0+abc\r\n"); // an interval that does not convert keeps the text
    QVERIFY(dialog->RadioButton2->isChecked());
    QCOMPARE(dialog->Edit1->text(), QStringLiteral("5"));

    QTest::mouseClick(dialog->BitBtn5, Qt::LeftButton);
    QCOMPARE(sender.sent, QList<QByteArray>{"@i0+5\r\n"});
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 2000);
    takeLine(state, "@I\r\n");
    parser.feed(":I1+7\r\n"); // closed: the reply goes nowhere
}

void TaxaTest::aNewDialogReplacesTheClosedOne()
{
    RecordingQueue sender;
    QPointer<TForm4> first = new TForm4(sender, &mainWindow);
    first->Edit1->setText("42");
    first->close();
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), 2000);
    QPointer<TForm4> second = new TForm4(sender, &mainWindow);
    QCOMPARE(Form4.data(), second.data());
    QCOMPARE(second->Edit1->text(), QStringLiteral("0"));
    QVERIFY(!second->RadioButton1->isChecked() && !second->RadioButton2->isChecked());
    sampleRateSlot().get().setSampleInterval("3");
    QCOMPARE(second->Edit1->text(), QStringLiteral("3"));
    second->close();
    QTRY_VERIFY_WITH_TIMEOUT(second.isNull(), 2000);
    QVERIFY(mainWindow.isEnabled());
}

QTEST_MAIN(TaxaTest)
#include "test_taxa.moc"
