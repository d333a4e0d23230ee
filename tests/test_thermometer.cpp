// The thermometer gauge as it is painted: fill heights, tube and tick
// columns, label placement, colours, sharpness at a higher pixel ratio, and
// repainting only on a real change.

#include "support/PaintCounter.h"
#include "widgets/BgrColor.h"
#include "widgets/ThermoGeometry.h"
#include "widgets/TvrThermoMeter.h"

#include <QtTest>

namespace {

const QColor Background(170, 170, 170);
const QColor Blue(0, 0, 255), Navy(0, 0, 128), White(255, 255, 255), Grey(128, 128, 128), Black(0, 0, 0);

// A gauge as the live page configures its first one: blue fill, navy tube.
std::unique_ptr<TvrThermoMeter> wetBulbGauge(int width = 97, double value = 40)
{
    auto gauge = std::make_unique<TvrThermoMeter>();
    gauge->resize(width, 245);
    gauge->setColorBefore(colorFromBgr(Bgr::Blue));
    gauge->setColorAfter(colorFromBgr(Bgr::Navy));
    gauge->setValue(value);
    return gauge;
}

} // namespace

class ThermometerTest : public QObject {
    Q_OBJECT
private slots:
    void bgrColoursConvert_data();
    void bgrColoursConvert();
    void fillTopsAtValueRow_data();
    void fillTopsAtValueRow();
    void tubeTicksAndBulb_data();
    void tubeTicksAndBulb();
    void labelsSitOnTheirTicks_data();
    void labelsSitOnTheirTicks();
    void hiddenScaleLeavesOnlyTheBulb();
    void sharpAtDoublePixelRatio();
    void repaintsOnlyOnRealChange();
};

void ThermometerTest::bgrColoursConvert_data()
{
    QTest::addColumn<uint>("bgr");
    QTest::addColumn<QColor>("color");
    QTest::newRow("blue") << uint(Bgr::Blue) << QColor(0, 0, 255);
    QTest::newRow("red") << uint(Bgr::Red) << QColor(255, 0, 0);
    QTest::newRow("green") << uint(Bgr::Green) << QColor(0, 128, 0);
    QTest::newRow("mixed") << uint(0x123456) << QColor(0x56, 0x34, 0x12);
    QTest::newRow("from components") << uint(bgrOf(192, 220, 192)) << QColor(192, 220, 192);
}

void ThermometerTest::bgrColoursConvert()
{
    QFETCH(uint, bgr);
    QFETCH(QColor, color);
    QCOMPARE(colorFromBgr(bgr), color);
}

void ThermometerTest::fillTopsAtValueRow_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("fillTop"); // first filled row; 225 = only the bulb
    QTest::newRow("minimum") << -20.0 << 225;
    QTest::newRow("just above minimum") << -19.0 << 223; // 20 + 205/120 = 21.7
    QTest::newRow("40") << 40.0 << 123;
    QTest::newRow("maximum") << 100.0 << 20;
    QTest::newRow("above range") << 150.0 << 20;
    QTest::newRow("below range") << -40.0 << 225;
}

void ThermometerTest::fillTopsAtValueRow()
{
    QFETCH(double, value);
    QFETCH(int, fillTop);
    const QImage image = wetBulbGauge(97, value)->renderImage();
    for (int row = 20; row < 225; ++row)
        QCOMPARE(image.pixelColor(48, row), row < fillTop ? Navy : Blue);
    QCOMPARE(image.pixelColor(48, 19), Background);
}

void ThermometerTest::tubeTicksAndBulb_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("whiteColumn"); // white edge left, grey edge right
    QTest::addColumn<int>("tickX");
    QTest::newRow("97 wide: tube at 48, ticks from 60") << 97 << 44 << 60;
    QTest::newRow("100 wide: tube at 50, ticks from 62") << 100 << 46 << 62;
}

void ThermometerTest::tubeTicksAndBulb()
{
    QFETCH(int, width);
    QFETCH(int, whiteColumn);
    QFETCH(int, tickX);
    const QImage image = wetBulbGauge(width, 40)->renderImage();
    // Tube rows above and below the fill top.
    for (int row : {30, 200}) {
        const QList<QColor> expected = {Background, White, row < 123 ? Navy : Blue, Grey, Background};
        const QList<int> columns = {whiteColumn - 1, whiteColumn, whiteColumn + 1, whiteColumn + 7, whiteColumn + 8};
        for (qsizetype i = 0; i < columns.size(); ++i)
            QCOMPARE(image.pixelColor(columns[i], row), expected[i]);
    }
    // A long tick at 0 (row 191), a short tick at -16 (row 218).
    for (auto [row, length] : {std::pair{191, 14}, std::pair{218, 8}}) {
        QCOMPARE(image.pixelColor(tickX - 1, row), Background);
        QCOMPARE(image.pixelColor(tickX, row), Black);
        QCOMPARE(image.pixelColor(tickX + length - 1, row), Black);
        if (length == 8)
            QCOMPARE(image.pixelColor(tickX + length, row), Background);
    }
    // The bulb filled whatever the value, with the white dot up left and the
    // light rim only there.
    const QRect bulb = bulbRect(ThermoScaleGeometry{}, width, 245);
    QCOMPARE(image.pixelColor(bulb.center() + QPoint(2, 2)), Blue);
    QCOMPARE(image.pixelColor(bulbDotRect(bulb, 20).center()), White);
    QCOMPARE(image.pixelColor(bulb.left() - 1, bulb.center().y()), Background);
    const QColor lowerRightRim = image.pixelColor(bulb.right(), bulb.center().y() + 1);
    QVERIFY2(lowerRightRim.red() < 200, qPrintable(lowerRightRim.name()));
}

void ThermometerTest::labelsSitOnTheirTicks_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("tickRow");
    for (int width : {97, 100})
        for (int row : {225, 191, 157, 123, 88, 54, 20})
            QTest::addRow("%d wide, row %d", width, row) << width << row;
}

void ThermometerTest::labelsSitOnTheirTicks()
{
    QFETCH(int, width);
    QFETCH(int, tickRow);
    const QImage image = wetBulbGauge(width)->renderImage();
    const int labelX = labelStartX(ThermoScaleGeometry{}, width);
    // The label's ink right of the ticks within 12 rows of its tick (labels
    // stand 34 rows apart).
    int top = INT_MAX, bottom = INT_MIN, left = INT_MAX;
    for (int y = std::max(0, tickRow - 12); y <= std::min(244, tickRow + 12); ++y)
        for (int x = labelX; x < width; ++x)
            if (image.pixelColor(x, y) != Background) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
            }
    QVERIFY2(top <= bottom, "no label ink near the tick");
    QVERIFY2(left < labelX + 4, qPrintable(QString::number(left)));
    QVERIFY2(std::abs((top + bottom) / 2 - tickRow) <= 3, qPrintable(QStringLiteral("%1..%2").arg(top).arg(bottom)));
    for (int y = top; y <= bottom; ++y)
        if (y != tickRow)
            QCOMPARE(image.pixelColor(labelX - 1, y), Background);
}

void ThermometerTest::hiddenScaleLeavesOnlyTheBulb()
{
    auto gauge = wetBulbGauge();
    gauge->Scale().setVisible(false);
    const QImage image = gauge->renderImage();
    for (int y = 0; y < 225; ++y)
        for (int x = 0; x < 97; ++x)
            QCOMPARE(image.pixelColor(x, y), Background);
    QCOMPARE(image.pixelColor(50, 238), Blue);
}

void ThermometerTest::sharpAtDoublePixelRatio()
{
    auto gauge = wetBulbGauge();
    const QImage image = gauge->renderImage(2.0);
    QCOMPARE(image.size(), QSize(194, 490));
    QCOMPARE(image.devicePixelRatio(), 2.0);
    // Edges fall between whole device pixels: no blended pixels at the fill
    // top (logical row 123), across the tube (columns 44..51) or at a tick.
    const QList<std::pair<QPoint, QColor>> samples = {
        {{96, 245}, Navy},   {{96, 246}, Blue},        {{87, 100}, Background},  {{88, 100}, White},
        {{89, 100}, White},  {{90, 100}, Navy},        {{101, 100}, Navy},       {{102, 100}, Grey},
        {{103, 100}, Grey},  {{104, 100}, Background}, {{130, 381}, Background}, {{130, 382}, Black},
        {{130, 383}, Black}, {{130, 384}, Background},
    };
    for (const auto &[at, color] : samples)
        QCOMPARE(image.pixelColor(at), color);

    // A picture of the gauge for a look by eye, when asked for.
    const QString path = qEnvironmentVariable("VESTARA_GAUGE_PNG");
    if (!path.isEmpty())
        QVERIFY(gauge->renderImage(1.0).save(path));
}

void ThermometerTest::repaintsOnlyOnRealChange()
{
    auto gauge = wetBulbGauge();
    PaintCounter paints(gauge.get());
    QVERIFY(paints.showAndSettle());

    const std::vector<std::tuple<const char *, std::function<void()>, bool>> steps = {
        {"new value", [&] { gauge->setValue(41); }, true},
        {"same value", [&] { gauge->setValue(41); }, false},
        {"same value through the marker", [&] { gauge->Value().setValue(41); }, false},
        {"other value through the marker", [&] { gauge->Value().setValue(41.5); }, true},
        {"NaN", [&] { gauge->setValue(qQNaN()); }, true},
        {"NaN again", [&] { gauge->setValue(qQNaN()); }, false},
        {"scale maximum", [&] { gauge->Scale().setMax(120); }, true},
        {"same scale maximum", [&] { gauge->Scale().setMax(120); }, false},
        {"marker shown", [&] { gauge->PeakMax().setVisible(true); }, true},
        {"same fill colour", [&] { gauge->setColorBefore(colorFromBgr(Bgr::Blue)); }, false},
    };
    for (const auto &[what, change, repaints] : steps) {
        paints.expectRepaint(change, repaints, what);
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_MAIN(ThermometerTest)
#include "test_thermometer.moc"
