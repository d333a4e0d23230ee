// The test file's code page, Windows-1252, in both directions.

#include "recordings/Windows1252.h"

#include <QtTest>

class TestFileCodePageTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteSurvivesDecodeAndEncode()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = windows1252::decode(all);
        QCOMPARE(text.size(), 256);
        qsizetype replaced = -1;
        QCOMPARE(windows1252::encode(text, &replaced), all);
        QCOMPARE(replaced, 0);
    }

    // Every byte 0x80-0x9F against its character written out, so that a
    // swapped pair in the code page's table cannot pass.
    void highBytesAreTheCharactersWrittenOut()
    {
        const QString written = QStringLiteral("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F" // 0x80-0x8F
                                               "\u0090‘’“”•–—˜™š›œ\u009DžŸ");    // 0x90-0x9F
        QCOMPARE(written.size(), 32);
        for (int i = 0; i < 32; ++i) {
            const unsigned char byte = 0x80 + i;
            QVERIFY2(windows1252::toUnicode(byte) == written[i].unicode(), qPrintable(QString::number(byte, 16)));
            QCOMPARE(windows1252::encode(written.mid(i, 1)), QByteArray(1, char(byte)));
        }
        QCOMPARE(windows1252::decode(windows1252::encode(written)), written);
    }

    void bytesMeanTheirCharacters_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("codePoint");
        QTest::newRow("0x80 is the euro sign") << 0x80 << 0x20AC;
        QTest::newRow("0x82 is the low single quote") << 0x82 << 0x201A;
        QTest::newRow("0x85 is the ellipsis") << 0x85 << 0x2026;
        QTest::newRow("0x8C is the OE ligature") << 0x8C << 0x0152;
        QTest::newRow("0x8E is Z with caron") << 0x8E << 0x017D;
        QTest::newRow("0x91 is the left single quote") << 0x91 << 0x2018;
        QTest::newRow("0x92 is the right single quote") << 0x92 << 0x2019;
        QTest::newRow("0x93 is the left double quote") << 0x93 << 0x201C;
        QTest::newRow("0x94 is the right double quote") << 0x94 << 0x201D;
        QTest::newRow("0x96 is the en dash") << 0x96 << 0x2013;
        QTest::newRow("0x97 is the em dash") << 0x97 << 0x2014;
        QTest::newRow("0x99 is the trade mark sign") << 0x99 << 0x2122;
        QTest::newRow("0x9F is Y with diaeresis") << 0x9F << 0x0178;
        QTest::newRow("undefined 0x81 stands for U+0081") << 0x81 << 0x0081;
        QTest::newRow("undefined 0x8D stands for U+008D") << 0x8D << 0x008D;
        QTest::newRow("undefined 0x8F stands for U+008F") << 0x8F << 0x008F;
        QTest::newRow("undefined 0x90 stands for U+0090") << 0x90 << 0x0090;
        QTest::newRow("undefined 0x9D stands for U+009D") << 0x9D << 0x009D;
        QTest::newRow("0xE3 is a with tilde as in Latin-1") << 0xE3 << 0x00E3;
        QTest::newRow("0xE7 is c with cedilla as in Latin-1") << 0xE7 << 0x00E7;
        QTest::newRow("0xA0 is the no-break space") << 0xA0 << 0x00A0;
    }

    void bytesMeanTheirCharacters()
    {
        QFETCH(int, byte);
        QFETCH(int, codePoint);
        QCOMPARE(int(windows1252::toUnicode((unsigned char)byte)), codePoint);
        const QString text{QChar(char16_t(codePoint))};
        QCOMPARE(windows1252::encode(text), QByteArray(1, char(byte)));
        QCOMPARE(windows1252::sameAsLatin1(QByteArray(1, char(byte))), byte < 0x80 || byte >= 0xA0);
    }

    void charactersWithoutAByteBecomeAQuestionMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("replaced");
        QTest::newRow("a Greek letter") << QStringLiteral("Ωx") << QByteArray("?x") << 1;
        QTest::newRow("a character outside the basic plane counts once")
            << QStringLiteral("a😀b") << QByteArray("a?b") << 1;
        QTest::newRow("U+0080, whose byte is the euro sign") << QString(QChar(0x80)) << QByteArray("?") << 1;
        QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) + "z" << QByteArray("?z") << 1;
        QTest::newRow("Portuguese text needs no replacement")
            << QStringLiteral("Observações “já”") << QByteArray("Observa\xe7\xf5\x65s \x93j\xe1\x94") << 0;
    }

    void charactersWithoutAByteBecomeAQuestionMark()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(int, replaced);
        qsizetype count = -1;
        QCOMPARE(windows1252::encode(text, &count), bytes);
        QCOMPARE(int(count), replaced);
    }
};

QTEST_GUILESS_MAIN(TestFileCodePageTest)
#include "test_testfile_codepage.moc"
