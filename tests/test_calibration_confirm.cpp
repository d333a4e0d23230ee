// The operator's last word before an offset changes: which references are
// refused and why, the questions asked with the channel and the offset, and
// the command built only after every yes.

#include "control/CalibrationConfirm.h"
#include "support/TestData.h"

#include <QtTest>

namespace {

// Answers the questions from a script ("y", "n"; yes once it runs out) and
// records what the operator saw.
struct ScriptedOperator : OperatorQuestions {
    QString answers;
    QStringList questions;
    QStringList told;
    bool askYesNo(const QString &question) override
    {
        questions << question;
        const int i = int(questions.size()) - 1;
        return i >= answers.size() || answers[i] == QLatin1Char('y');
    }
    void tell(const QString &message) override { told << message; }
};

const QString emptyReference =
    QStringLiteral("Nada foi enviado: entre a temperatura de referência antes de ajustar o offset.");
const QString untouchedReference =
    QStringLiteral("Nada foi enviado: a temperatura de referência ainda é a inicial. Entre a temperatura medida "
                   "pela referência antes de ajustar o offset.");

} // namespace

class CalibrationConfirmTest : public QObject {
    Q_OBJECT

private slots:
    void adjust_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<bool>("unchanged");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QByteArray>("command"); // empty: nothing to send
        const QString large =
            QStringLiteral("O offset de −24,6 °C é maior que 10 °C. Aplicar mesmo assim ao bulbo úmido?");
        const QString wetQuestion = QStringLiteral("Aplicar offset de −24,6 °C ao bulbo úmido?");

        QTest::newRow("an empty reference sends nothing and says why")
            << 1 << "" << false << "24,5"
            << "" << QStringList{} << QStringList{emptyReference} << QByteArray();
        QTest::newRow("an untouched reference sends nothing and says why")
            << 3 << "0" << true << "24,5"
            << "" << QStringList{} << QStringList{untouchedReference} << QByteArray();
        QTest::newRow("a zero the operator typed is a reference")
            << 1 << "0" << false << "0,4"
            << "y" << QStringList{"Aplicar offset de −0,4 °C ao bulbo úmido?"} << QStringList{}
            << QByteArray("@c1>BECCCCCD\r\n");
        QTest::newRow("the question names the channel and the offset")
            << 2 << "25" << false << "24,5"
            << "y" << QStringList{"Aplicar offset de 0,5 °C ao bulbo seco?"} << QStringList{}
            << QByteArray("@c2>3F000000\r\n");
        QTest::newRow("an offset above 10 °C is asked twice")
            << 1 << "1" << false << "25,6"
            << "yy" << QStringList{wetQuestion, large} << QStringList{} << QByteArray("@c1>C1C4CCCD\r\n");
        QTest::newRow("no the second time sends nothing")
            << 1 << "1" << false << "25,6"
            << "yn" << QStringList{wetQuestion, large} << QStringList{} << QByteArray();
        QTest::newRow("exactly 10 °C is asked once") << 3 << "35" << false << "25"
                                                     << "y" << QStringList{"Aplicar offset de 10 °C ao globo?"}
                                                     << QStringList{} << QByteArray("@c3>41200000\r\n");
    }

    void adjust()
    {
        ScriptedOperator op;
        op.answers = FETCHED(QString, answers);
        const std::optional<QByteArray> command =
            confirmAdjustOffset(ConfigCommand::Channel(FETCHED(int, channel)),
                                {FETCHED(QString, reference), FETCHED(bool, unchanged)}, FETCHED(QString, reading), op);
        QCOMPARE(command.value_or(QByteArray()), FETCHED(QByteArray, command));
        QCOMPARE(op.questions, FETCHED(QStringList, questions));
        QCOMPARE(op.told, FETCHED(QStringList, told));
    }

    void zeroAsks()
    {
        ScriptedOperator op;
        op.answers = "nyn";
        QVERIFY(!confirmZeroOffset(ConfigCommand::Channel::Wet, op));
        QVERIFY(confirmZeroOffset(ConfigCommand::Channel::Dry, op));
        QVERIFY(!confirmZeroAllOffsets(op));
        QCOMPARE(op.questions, (QStringList{"Zerar o offset do bulbo úmido?", "Zerar o offset do bulbo seco?",
                                            "Zerar o offset dos três sensores?"}));
    }
};

QTEST_GUILESS_MAIN(CalibrationConfirmTest)
#include "test_calibration_confirm.moc"
