// The Avaliação choices as the library keeps them: what is written reads
// back the same, and a text that does not read keeps the defaults.

#include "assessment/AssessmentChoices.h"

#include <QtTest>

class AssessmentChoicesTest : public QObject {
    Q_OBJECT
private slots:
    void choicesReadBackAsWritten_data()
    {
        QTest::addColumn<bool>("typedRate");
        QTest::newRow("a class of work reads back") << false;
        QTest::newRow("a typed rate reads back") << true;
    }
    void choicesReadBackAsWritten()
    {
        QFETCH(bool, typedRate);
        AssessmentChoices c;
        c.options = {AssessedIndex::Outdoor, LimitCriterion::Iso7243NonAcclimatised, 415, 1.5,
                     RecordedUnit::Fahrenheit};
        c.metabolicClass = MetabolicClass::High;
        if (typedRate) {
            c.options.metabolicRateW = 333.5;
            c.metabolicClass.reset();
        }
        const auto back = readAssessmentChoices(assessmentChoicesText(c));
        QVERIFY(back);
        QCOMPARE(back->options.index, c.options.index);
        QCOMPARE(back->options.criterion, c.options.criterion);
        QCOMPARE(back->options.metabolicRateW, c.options.metabolicRateW);
        QCOMPARE(back->options.clothingIncrement, 1.5);
        QCOMPARE(back->options.unit, RecordedUnit::Fahrenheit);
        QCOMPARE(back->metabolicClass, c.metabolicClass);
    }

    void unusableTextsKeepTheDefaults_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::newRow("no text gives nothing") << QString() << false;
        QTest::newRow("a JSON list gives nothing") << QStringLiteral("[1]") << false;
        QTest::newRow("unknown values keep the defaults")
            << QStringLiteral(R"({"criterio":"x","classe":9,"taxa":-5,"vestimenta":-1})") << true;
    }
    void unusableTextsKeepTheDefaults()
    {
        QFETCH(QString, text);
        QFETCH(bool, read);
        const auto c = readAssessmentChoices(text);
        QCOMPARE(c.has_value(), read);
        if (!c)
            return;
        QCOMPARE(c->options.criterion, LimitCriterion::Nr15);
        QCOMPARE(c->options.metabolicRateW, 300.0);
        QCOMPARE(c->options.clothingIncrement, 0.0);
        QVERIFY(!c->metabolicClass);
    }
};

QTEST_GUILESS_MAIN(AssessmentChoicesTest)
#include "test_assessmentchoices.moc"
