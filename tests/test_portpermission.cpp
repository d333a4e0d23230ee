// A serial device the user may not open: the activity panel tells how to get
// the permission, at start-up, on a port item and during the search; other
// failures keep their plain handling.

#include "control/PortSelection.h"
#include "core/SettingsLocation.h"
#include "link/ComPort.h"
#include "support/FakeComPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

namespace {

struct PanelView : PortSelectionView {
    QString panels[3];
    void setStatusText(StatusPanel panel, const QString &text) override { panels[int(panel)] = text; }
    void setPortChecked(int) override {}
    void setSearchTimerEnabled(bool) override {}
};

const QString kHint = QStringLiteral("Sem permissão para abrir /dev/ttyUSB0: entre no grupo dialout "
                                     "(sudo usermod -aG dialout $USER) e abra uma nova sessão");

} // namespace

class PortPermissionTest : public QObject {
    Q_OBJECT

    QTemporaryDir config;

private slots:
    void initTestCase()
    {
        // COM1 is /dev/ttyUSB0 by the settings' [Portas] group.
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QVERIFY(QDir().mkpath(QFileInfo(settingsFilePath()).path()));
        QFile ini(settingsFilePath());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("Porta=1\n[Portas]\nCOM1=/dev/ttyUSB0\n");
    }

    void openFailure_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("activity");
        QTest::newRow("stored port at start-up, permission denied") << "start" << EACCES << kHint;
        QTest::newRow("stored port at start-up, operation not permitted") << "start" << EPERM << kHint;
        QTest::newRow("stored port at start-up, device busy: nothing shown") << "start" << EBUSY << "";
        QTest::newRow("stored port at start-up, no device: nothing shown") << "start" << ENOENT << "";
        QTest::newRow("port item Comm1, permission denied") << "item" << EACCES << kHint;
        QTest::newRow("port item Comm1, no device: nothing shown") << "item" << ENOENT << "";
        QTest::newRow("search, permission denied on COM1") << "search" << EACCES << kHint;
    }

    void openFailure()
    {
        QFETCH(QString, road);
        QFETCH(int, error);
        SharedState state;
        PanelView view;
        auto platform = std::make_shared<FakeComPlatform>();
        platform->failures[QStringLiteral("open")] = error;
        TComPort port(nullptr, platform);
        PortSelection selection(state, port, view);
        if (road == "start") {
            state.portNumber = 1;
            selection.openStoredPort();
        } else if (road == "item") {
            selection.CommClick(1);
            QCOMPARE(view.panels[int(StatusPanel::Port)], QStringLiteral("No Comm"));
        } else {
            selection.Procurar1Click();
            selection.Timer2Timer(); // tries COM1
        }
        QVERIFY(!port.Connected());
        QTEST(view.panels[int(StatusPanel::Activity)], "activity");
    }

    // Once a port opens, the hint gives way to the link's own texts.
    void openingClearsTheHint()
    {
        SharedState state;
        PanelView view;
        auto platform = std::make_shared<FakeComPlatform>();
        platform->failures[QStringLiteral("open")] = EACCES;
        TComPort port(nullptr, platform);
        PortSelection selection(state, port, view);
        selection.CommClick(1);
        QCOMPARE(view.panels[int(StatusPanel::Activity)], kHint);
        platform->failures.remove(QStringLiteral("open"));
        selection.CommClick(2);
        QVERIFY(port.Connected());
        QCOMPARE(view.panels[int(StatusPanel::Activity)], QString());
        QCOMPARE(view.panels[int(StatusPanel::Link)], QStringLiteral("Conectado"));
        port.setConnected(false);
    }
};

QTEST_GUILESS_MAIN(PortPermissionTest)
#include "test_portpermission.moc"
