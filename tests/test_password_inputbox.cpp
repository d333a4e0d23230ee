// The input box the password commands use: "*" echo in masked mode, the
// 255-character limit, and Cancel giving the empty text.

#include "forms/InputBox.h"
#include "support/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Acts on the input box once it is open, from inside its modal loop.
void whenOpen(std::function<void(InputBoxDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        auto *box = qobject_cast<InputBoxDialog *>(QApplication::activeModalWidget());
        QVERIFY(box);
        act(box);
    });
}

enum class Close { Ok, Cancel, Escape, Enter, WindowClose };

} // namespace

Q_DECLARE_METATYPE(Close)

class TestPasswordInputBox : public QObject {
    Q_OBJECT
private slots:
    void echoAndLimit_data();
    void echoAndLimit();
    void result_data();
    void result();
};

void TestPasswordInputBox::echoAndLimit_data()
{
    QTest::addColumn<bool>("masked");
    QTest::addColumn<QString>("shown");
    QTest::newRow("masked") << true << "*******";
    QTest::newRow("clear") << false << "pel ko!";
}

void TestPasswordInputBox::echoAndLimit()
{
    QFETCH(bool, masked);
    InputBoxDialog box(nullptr, "Senha", "Digite a senha", masked);
    box.show();
    QCOMPARE(box.windowTitle(), QStringLiteral("Senha"));
    QCOMPARE(control<QLabel>(box, "Prompt")->text(), QStringLiteral("Digite a senha"));
    QVERIFY(control<QLineEdit>(box, "Edit")->text().isEmpty());
    QTest::keyClicks(control<QLineEdit>(box, "Edit"), "pel ko!");
    QCOMPARE(control<QLineEdit>(box, "Edit")->text(), QStringLiteral("pel ko!"));
    QTEST(control<QLineEdit>(box, "Edit")->displayText(), "shown");

    control<QLineEdit>(box, "Edit")->clear();
    QTest::keyClicks(control<QLineEdit>(box, "Edit"), QString(254, QLatin1Char('a')) + "bcd");
    QCOMPARE(control<QLineEdit>(box, "Edit")->text(), QString(254, QLatin1Char('a')) + "b");
    control<QLineEdit>(box, "Edit")->setText(QString(300, QChar(0xe1)));
    QCOMPARE(control<QLineEdit>(box, "Edit")->text().size(), 255);
}

void TestPasswordInputBox::result_data()
{
    QTest::addColumn<Close>("close");
    QTest::addColumn<QString>("expected");
    QTest::newRow("OK") << Close::Ok << "abc";
    QTest::newRow("Enter") << Close::Enter << "abc";
    QTest::newRow("Cancel") << Close::Cancel << "";
    QTest::newRow("Escape") << Close::Escape << "";
    QTest::newRow("window closed") << Close::WindowClose << "";
}

void TestPasswordInputBox::result()
{
    QFETCH(Close, close);
    whenOpen([close](InputBoxDialog *box) {
        QTest::keyClicks(control<QLineEdit>(*box, "Edit"), "abc");
        switch (close) {
        case Close::Ok: QTest::mouseClick(control<QPushButton>(*box, "OkButton"), Qt::LeftButton); break;
        case Close::Cancel: QTest::mouseClick(control<QPushButton>(*box, "CancelButton"), Qt::LeftButton); break;
        case Close::Escape: QTest::keyClick(control<QLineEdit>(*box, "Edit"), Qt::Key_Escape); break;
        case Close::Enter: QTest::keyClick(control<QLineEdit>(*box, "Edit"), Qt::Key_Return); break;
        case Close::WindowClose: box->close(); break;
        }
    });
    QTEST(InputBox(nullptr, "Senha", "Digite a senha", true), "expected");
}

QTEST_MAIN(TestPasswordInputBox)
#include "test_password_inputbox.moc"
