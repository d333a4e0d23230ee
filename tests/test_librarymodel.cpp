// The Biblioteca window's table: pages read as the view scrolls, the search
// over every text column, sorting by any column, the trash view, and the
// texts of a row.

#include "recordings/library/LibraryModel.h"
#include "support/LibraryData.h"

#include <QTemporaryDir>
#include <QtTest>

class LibraryModelTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<LibraryStore> store;
    std::vector<qint64> ids;

private slots:
    void initTestCase()
    {
        store = std::make_unique<LibraryStore>(dir.filePath(QStringLiteral("b.sqlite")));
        for (int t = 1; t <= 250; ++t) {
            const TestHeader header{QStringLiteral("Teste %1").arg(t), QStringLiteral("Setor %1").arg(t % 7),
                                    t % 50 == 0 ? QStringLiteral("Açúcar Ltda") : QStringLiteral("Metalúrgica"),
                                    QString()};
            ids.push_back(store->addTest(TestOrigin::meter(QStringLiteral("COM1"), t, t), header,
                                         libraryRecords(1, t, 30),
                                         t == 7 ? TestState::Interrupted : TestState::Complete));
        }
        store->trash({ids[0]});
    }

    void pagesAreReadAsTheViewScrolls()
    {
        LibraryModel model(*store);
        QCOMPARE(model.rowCount(), LibraryModel::PageSize);
        QCOMPARE(model.matchingTests(), 249);
        QVERIFY(model.canFetchMore());
        model.fetchMore();
        model.fetchMore();
        QCOMPARE(model.rowCount(), 249);
        QVERIFY(!model.canFetchMore());
    }

    void theSearchKeepsTestsHavingEveryWord_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("found");
        QTest::newRow("a company without its accents or case") << QStringLiteral("acucar") << 5;
        QTest::newRow("two words in different columns") << QStringLiteral("açúcar setor 3") << 1;
        QTest::newRow("the state") << QStringLiteral("interrompido") << 1;
        QTest::newRow("a pattern character is a plain character") << QStringLiteral("%") << 0;
        QTest::newRow("nothing typed keeps every test") << QStringLiteral("  ") << 249;
    }
    void theSearchKeepsTestsHavingEveryWord()
    {
        QFETCH(QString, search);
        QFETCH(int, found);
        LibraryModel model(*store);
        model.setSearch(search);
        QCOMPARE(model.matchingTests(), found);
    }

    void sortingIsByTheColumnClicked()
    {
        LibraryModel model(*store);
        model.sort(LibraryModel::Records, Qt::DescendingOrder);
        QCOMPARE(model.index(0, LibraryModel::Records).data().toString(), QStringLiteral("250"));
        model.sort(LibraryModel::Duration, Qt::AscendingOrder);
        QCOMPARE(model.index(0, LibraryModel::Name).data().toString(), QStringLiteral("Teste 2"));
        model.sort(LibraryModel::Origin, Qt::DescendingOrder);
        QCOMPARE(model.index(0, LibraryModel::Origin).data().toString(), QStringLiteral("COM1, teste 250"));
    }

    void theTrashViewListsTheTrash()
    {
        LibraryModel model(*store);
        model.setTrashView(true);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.testAt(0), ids[0]);
    }

    void aRowReadsInPortuguese()
    {
        LibraryModel model(*store);
        model.setSearch(QStringLiteral("interrompido"));
        QStringList texts;
        for (int c = 0; c < LibraryModel::ColumnCount; ++c)
            texts << model.index(0, c).data().toString();
        QCOMPARE(texts,
                 QStringList({QStringLiteral("Metalúrgica"), QStringLiteral("Setor 0"), QStringLiteral("Teste 7"),
                              QStringLiteral("01/02/2024 08:00"), QStringLiteral("3 min"), QStringLiteral("30 s"),
                              QStringLiteral("7"), QStringLiteral("COM1, teste 7"), QStringLiteral("Interrompido")}));
        QCOMPARE(LibraryModel::durationText(3 * 3600 + 5 * 60 + 9), QStringLiteral("3 h 05 min"));
    }
};

QTEST_GUILESS_MAIN(LibraryModelTest)
#include "test_librarymodel.moc"
