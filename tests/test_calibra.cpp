// The calibration dialog driven offscreen: the bytes each button sends on each
// page, the confirmation after every command, the error report for a field
// that is not a number, the reading replies filling the fields, and the main
// window disabled while the dialog is open.

#include "forms/Calibra.h"

#include "core/MainWindowSink.h"
#include "core/SharedState.h"
#include "forms/Forms.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"
#include "support/ModalCatcher.h"
#include "support/RecordingQueue.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString calibrated = QStringLiteral("Parâmetro calibrado.");

} // namespace

class CalibraTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void opening();
    void read();
    void adjust_data();
    void adjust();
    void adjustUsesThePageShownAtTheClick();
    void zero();
    void notANumber_data();
    void notANumber();
    void readingsFillAllPages();
    void readingReplyRoundTrip();
    void closingEnablesTheMainWindow();
    void reopeningStartsAgain();

private:
    QWidget mainWindow; // stands in for Form1
};

void CalibraTest::initTestCase()
{
    QApplication::setApplicationName(QStringLiteral("VESTARA"));
    mainWindow.show();
}

void CalibraTest::opening()
{
    RecordingQueue sender;
    QPointer<TForm2> dialog = new TForm2(sender, &mainWindow);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Calibração"));
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog->PageControl1->count(), 3);
    QCOMPARE(dialog->PageControl1->tabText(0), QStringLiteral("WET"));
    QCOMPARE(dialog->PageControl1->tabText(1), QStringLiteral("DRY"));
    QCOMPARE(dialog->PageControl1->tabText(2), QStringLiteral("GLO"));
    QCOMPARE(dialog->PageControl1->currentWidget(), dialog->TabSheet3);
    for (QLineEdit *e : {dialog->Edit1, dialog->Edit2, dialog->Edit3, dialog->Edit4, dialog->Edit5, dialog->Edit6})
        QCOMPARE(e->text(), QStringLiteral("0"));
    QVERIFY(!dialog->Edit1->isReadOnly() && !dialog->Edit3->isReadOnly() && !dialog->Edit5->isReadOnly());
    QVERIFY(dialog->Edit2->isReadOnly() && dialog->Edit4->isReadOnly() && dialog->Edit6->isReadOnly());
    int unitCaptions = 0;
    for (const QLabel *l : dialog->findChildren<QLabel *>())
        unitCaptions += l->text() == QStringLiteral("°C");
    QCOMPARE(unitCaptions, 6);
    QCOMPARE(dialog->BitBtn7->text(), QStringLiteral("LER"));
    QCOMPARE(dialog->BitBtn8->text(), QStringLiteral("Ajustar OFFSET"));
    QCOMPARE(dialog->BitBtn9->text(), QStringLiteral("Zerar OFFSET"));
    QCOMPARE(Form2.data(), dialog.data());
    QVERIFY(calibrationSlot().isOpen());
    QVERIFY(calibrationSlot().get().calibrationDialogVisible());
    QVERIFY(!mainWindow.isEnabled());
    QVERIFY(sender.sent.isEmpty());
    delete dialog.data();
}

void CalibraTest::read()
{
    RecordingQueue sender;
    ModalCatcher catcher;
    TForm2 *dialog = new TForm2(sender, &mainWindow);
    QTest::mouseClick(dialog->BitBtn7, Qt::LeftButton);
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet1);
    QTest::mouseClick(dialog->BitBtn3, Qt::LeftButton);
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet2);
    QTest::mouseClick(dialog->BitBtn4, Qt::LeftButton);
    QCOMPARE(sender.sent, (QList<QByteArray>{"@M\r\n", "@M\r\n", "@M\r\n"}));
    QVERIFY(catcher.boxes.isEmpty());
    delete dialog;
}

void CalibraTest::adjust_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("wet, half a degree up") << 0 << "25"
                                           << "24,5" << QByteArray("@c1>3F000000\r\n");
    QTest::newRow("wet, one and a half down") << 0 << "30"
                                              << "31,5" << QByteArray("@c1>BFC00000\r\n");
    QTest::newRow("wet, single-precision reading") << 0 << "25"
                                                   << "25,3" << QByteArray("@c1>BE999980\r\n");
    QTest::newRow("dry, single-precision reading") << 1 << "100"
                                                   << "99,9" << QByteArray("@c2>3DCCCC00\r\n");
    QTest::newRow("globe, equal values send zero") << 2 << "31,2"
                                                   << "31,2" << QByteArray("@c3>00000000\r\n");
    QTest::newRow("globe, an unread channel sends the reference") << 2 << "25"
                                                                  << "0" << QByteArray("@c3>41C80000\r\n");
}

void CalibraTest::adjust()
{
    QFETCH(int, page);
    QFETCH(QString, reference);
    QFETCH(QString, reading);
    QFETCH(QByteArray, command);
    RecordingQueue sender;
    ModalCatcher catcher;
    TForm2 *dialog = new TForm2(sender, &mainWindow);
    const int readingEdit[] = {2, 4, 6};
    QLineEdit *referenceField[] = {dialog->Edit1, dialog->Edit3, dialog->Edit5};
    QPushButton *adjustButton[] = {dialog->BitBtn1, dialog->BitBtn5, dialog->BitBtn8};
    dialog->PageControl1->setCurrentIndex(page);
    referenceField[page]->setText(reference);
    calibrationSlot().get().setCalibrationReading(readingEdit[page], reading);
    QTest::mouseClick(adjustButton[page], Qt::LeftButton);
    QCOMPARE(sender.sent, QList<QByteArray>{command});
    QCOMPARE(catcher.boxes.size(), 1);
    QCOMPARE(catcher.boxes[0].caption, QStringLiteral("Aviso"));
    QCOMPARE(catcher.boxes[0].text, calibrated);
    delete dialog;
}

void CalibraTest::adjustUsesThePageShownAtTheClick()
{
    RecordingQueue sender;
    ModalCatcher catcher;
    TForm2 *dialog = new TForm2(sender, &mainWindow);
    dialog->Edit1->setText("25");
    dialog->Edit3->setText("30");
    dialog->Edit5->setText("20");
    // "LER" on the wet page; one reply fills all three reading fields.
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet1);
    QTest::mouseClick(dialog->BitBtn3, Qt::LeftButton);
    calibrationSlot().get().setCalibrationReading(2, "24,5");
    calibrationSlot().get().setCalibrationReading(4, "31,5");
    calibrationSlot().get().setCalibrationReading(6, "19");
    // Switched to the dry page before adjusting: the dry fields and digit.
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet2);
    QTest::mouseClick(dialog->BitBtn5, Qt::LeftButton);
    // The three buttons of a kind share one handler: a hidden page's button
    // acts on the page shown (globe here).
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet3);
    dialog->BitBtn1->click();
    QCOMPARE(sender.sent, (QList<QByteArray>{"@M\r\n", "@c2>BFC00000\r\n", "@c3>3F800000\r\n"}));
    QCOMPARE(catcher.texts(), (QStringList{calibrated, calibrated}));
    delete dialog;
}

void CalibraTest::zero()
{
    RecordingQueue sender;
    ModalCatcher catcher;
    TForm2 *dialog = new TForm2(sender, &mainWindow);
    QTest::mouseClick(dialog->BitBtn9, Qt::LeftButton); // opens on "GLO"
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet1);
    QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet2);
    QTest::mouseClick(dialog->BitBtn6, Qt::LeftButton);
    QCOMPARE(sender.sent, (QList<QByteArray>{"@z3\r\n", "@z1\r\n", "@z2\r\n"}));
    QCOMPARE(catcher.texts(), (QStringList{calibrated, calibrated, calibrated}));
    for (const ModalCatcher::Box &b : catcher.boxes)
        QCOMPARE(b.caption, QStringLiteral("Aviso"));
    delete dialog;
}

void CalibraTest::notANumber_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("message");
    QTest::newRow("a decimal point in the reference") << "25.5"
                                                      << "0"
                                                      << "'25.5' is not a valid floating point value.";
    QTest::newRow("a reading that is not a number") << "25"
                                                    << "--"
                                                    << "'--' is not a valid floating point value.";
    QTest::newRow("a reference beyond single precision") << "1E40"
                                                         << "0"
                                                         << "Floating point overflow.";
}

void CalibraTest::notANumber()
{
    QFETCH(QString, reference);
    QFETCH(QString, reading);
    QFETCH(QString, message);
    RecordingQueue sender;
    ModalCatcher catcher;
    QPointer<TForm2> dialog = new TForm2(sender, &mainWindow);
    dialog->Edit5->setText(reference);
    calibrationSlot().get().setCalibrationReading(6, reading);
    QTest::mouseClick(dialog->BitBtn8, Qt::LeftButton);
    QVERIFY(sender.sent.isEmpty());
    QCOMPARE(catcher.boxes.size(), 1); // the error report, no confirmation
    QCOMPARE(catcher.boxes[0].caption, QStringLiteral("VESTARA"));
    QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
    QCOMPARE(catcher.boxes[0].text, message);
    // The dialog goes on.
    QVERIFY(!dialog.isNull() && dialog->isVisible());
    dialog->Edit5->setText("1");
    calibrationSlot().get().setCalibrationReading(6, "0");
    QTest::mouseClick(dialog->BitBtn8, Qt::LeftButton);
    QCOMPARE(sender.sent, QList<QByteArray>{"@c3>3F800000\r\n"});
    delete dialog.data();
}

void CalibraTest::readingsFillAllPages()
{
    RecordingQueue sender;
    QPointer<TForm2> dialog = new TForm2(sender, &mainWindow);
    CalibrationSink &sink = calibrationSlot().get();
    QVERIFY(sink.calibrationDialogVisible());
    sink.setCalibrationReading(2, "24,5");
    sink.setCalibrationReading(4, "31");
    sink.setCalibrationReading(6, "-3,25");
    sink.setCalibrationReading(5, "99"); // not a reading field
    QCOMPARE(dialog->Edit2->text(), QStringLiteral("24,5"));
    QCOMPARE(dialog->Edit4->text(), QStringLiteral("31"));
    QCOMPARE(dialog->Edit6->text(), QStringLiteral("-3,25"));
    QCOMPARE(dialog->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(dialog->Edit3->text(), QStringLiteral("0"));
    QCOMPARE(dialog->Edit5->text(), QStringLiteral("0"));
    // Hidden, the dialog asks the parser not to write.
    dialog->hide();
    QVERIFY(!calibrationSlot().get().calibrationDialogVisible());
    delete dialog.data();
    QVERIFY(!calibrationSlot().isOpen());
    QVERIFY(!calibrationSlot().get().calibrationDialogVisible());
    calibrationSlot().get().setCalibrationReading(2, "1"); // skipped
}

void CalibraTest::readingReplyRoundTrip()
{
    // The parser writes the readings with the decimal comma; the dialog reads
    // them back the same way.
    RecordingQueue sender;
    ModalCatcher catcher;
    SharedState state;
    NullMainWindowSink mainSink;
    ReplyParser parser(state, mainSink, windowSlots());
    QPointer<TForm2> dialog = new TForm2(sender, &mainWindow);
    takeLine(state, "@M\r\n");
    parser.feed(":W24.5D31.0G19.25\r\n");
    QCOMPARE(dialog->Edit2->text(), QStringLiteral("24,5"));
    QCOMPARE(dialog->Edit4->text(), QStringLiteral("31"));
    QCOMPARE(dialog->Edit6->text(), QStringLiteral("19,25"));
    dialog->Edit5->setText("20");
    QTest::mouseClick(dialog->BitBtn8, Qt::LeftButton);
    dialog->PageControl1->setCurrentWidget(dialog->TabSheet1);
    dialog->Edit1->setText("25");
    QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    QCOMPARE(sender.sent, (QList<QByteArray>{"@c3>3F400000\r\n", "@c1>3F000000\r\n"}));
    QCOMPARE(catcher.texts(), (QStringList{calibrated, calibrated}));

    // A hidden dialog is not written into; a closed one neither.
    dialog->hide();
    takeLine(state, "@M\r\n");
    parser.feed(":W1.0D2.0G3.0\r\n");
    QCOMPARE(dialog->Edit2->text(), QStringLiteral("24,5"));
    delete dialog.data();
    takeLine(state, "@M\r\n");
    parser.feed(":W1.0D2.0G3.0\r\n");
    QCOMPARE(state.globeReading, 3.0L);
}

void CalibraTest::closingEnablesTheMainWindow()
{
    RecordingQueue sender;
    QPointer<TForm2> dialog = new TForm2(sender, &mainWindow);
    QVERIFY(!mainWindow.isEnabled());
    dialog->close();
    QVERIFY(mainWindow.isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 2000);
    QVERIFY(Form2.isNull());
    QVERIFY(!calibrationSlot().isOpen());

    // Destroyed without closing, it still gives the main window back.
    dialog = new TForm2(sender, &mainWindow);
    QVERIFY(!mainWindow.isEnabled());
    delete dialog.data();
    QVERIFY(mainWindow.isEnabled());
    QVERIFY(sender.sent.isEmpty());
}

void CalibraTest::reopeningStartsAgain()
{
    RecordingQueue sender;
    QPointer<TForm2> first = new TForm2(sender, &mainWindow);
    first->PageControl1->setCurrentWidget(first->TabSheet1);
    first->Edit1->setText("25");
    calibrationSlot().get().setCalibrationReading(2, "24,5");
    first->close();
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), 2000);
    QPointer<TForm2> second = new TForm2(sender, &mainWindow);
    QCOMPARE(second->PageControl1->currentWidget(), second->TabSheet3);
    QCOMPARE(second->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(second->Edit2->text(), QStringLiteral("0"));
    calibrationSlot().get().setCalibrationReading(4, "30");
    QCOMPARE(second->Edit4->text(), QStringLiteral("30"));
    delete second.data();
}

QTEST_MAIN(CalibraTest)
#include "test_calibra.moc"
