// Whole-pixel geometry of the thermometer gauge and the texts of its scale.

#include "widgets/ScaleLabelText.h"
#include "widgets/ThermoGeometry.h"

#include <QtTest>
#include <limits>

namespace {

constexpr int GaugeHeight = 245;
const double NaN = std::numeric_limits<double>::quiet_NaN();

ThermoScaleGeometry scale(double min, double max, int offset = 20)
{
    ThermoScaleGeometry s;
    s.min = min;
    s.max = max;
    s.offset = offset;
    return s;
}

} // namespace
Q_DECLARE_METATYPE(ThermoScaleGeometry)

class ThermometerGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void valueRow_data();
    void valueRow();
    void fillRows_data();
    void fillRows();
    void columnsAndBulbFollowWidth_data();
    void columnsAndBulbFollowWidth();
    void ticksAndLabelsOfTheLivePageScale();
    void innerMarkCount_data();
    void innerMarkCount();
    void labelText_data();
    void labelText();
};

void ThermometerGeometryTest::valueRow_data()
{
    QTest::addColumn<ThermoScaleGeometry>("s");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("row");
    const ThermoScaleGeometry live = scale(-20, 100);
    QTest::newRow("minimum at tube bottom") << live << GaugeHeight << -20.0 << 225;
    QTest::newRow("0") << live << GaugeHeight << 0.0 << 191;
    QTest::newRow("40") << live << GaugeHeight << 40.0 << 123;
    QTest::newRow("60: 156.67 rounds up") << live << GaugeHeight << 60.0 << 88;
    QTest::newRow("fraction") << live << GaugeHeight << 25.3 << 148; // 20 + 77.39
    QTest::newRow("maximum at tube top") << live << GaugeHeight << 100.0 << 20;
    QTest::newRow("above range held at top") << live << GaugeHeight << 150.0 << 20;
    QTest::newRow("below range held at bottom") << live << GaugeHeight << -40.0 << 225;
    QTest::newRow("infinity") << live << GaugeHeight << qInf() << 20;
    QTest::newRow("NaN held at bottom") << live << GaugeHeight << NaN << 225;
    QTest::newRow("empty range: bottom edge") << scale(5, 5) << GaugeHeight << 5.0 << 245;
    // 0..10 over a 5-pixel tube: odd values fall half-way between rows and
    // go to the even neighbour.
    QTest::newRow("half 0.5 -> 0") << scale(0, 10, 0) << 5 << 1.0 << 5;
    QTest::newRow("half 1.5 -> 2") << scale(0, 10, 0) << 5 << 3.0 << 3;
    QTest::newRow("half 2.5 -> 2") << scale(0, 10, 0) << 5 << 5.0 << 3;
    QTest::newRow("half 3.5 -> 4") << scale(0, 10, 0) << 5 << 7.0 << 1;
    QTest::newRow("negative half -0.5 -> 0") << scale(-10, 0, 0) << 5 << -9.0 << 5;
}

void ThermometerGeometryTest::valueRow()
{
    QFETCH(ThermoScaleGeometry, s);
    QFETCH(int, height);
    QFETCH(double, value);
    QFETCH(int, row);
    QCOMPARE(thermoRow(s, height, value), row);
}

void ThermometerGeometryTest::fillRows_data()
{
    QTest::addColumn<ThermoScaleGeometry>("s");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    const ThermoScaleGeometry live = scale(-20, 100);
    QTest::newRow("minimum: only the bulb") << live << -20.0 << 225 << 225;
    QTest::newRow("below range: empty") << live << -40.0 << 225 << 225;
    QTest::newRow("40") << live << 40.0 << 123 << 225;
    QTest::newRow("above range: full tube") << live << 150.0 << 20 << 225;
    QTest::newRow("empty range: from the bottom edge") << scale(50, 50) << 10.0 << 225 << 245;
}

void ThermometerGeometryTest::fillRows()
{
    QFETCH(ThermoScaleGeometry, s);
    QFETCH(double, value);
    QFETCH(int, first);
    QFETCH(int, last);
    const RowSpan rows = ::fillRows(s, GaugeHeight, value);
    QCOMPARE(QList<int>({rows.first, rows.last}), QList<int>({first, last}));
}

void ThermometerGeometryTest::columnsAndBulbFollowWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("columns"); // tube centre, tick start, label start
    QTest::addColumn<QRect>("bulb");
    QTest::addColumn<QRect>("dot");
    QTest::newRow("wet-bulb gauge") << 97 << QList<int>{48, 60, 74} << QRect(38, 225, 20, 20) << QRect(43, 230, 4, 4);
    QTest::newRow("dry-bulb and globe") << 100 << QList<int>{50, 62, 76} << QRect(40, 225, 20, 20)
                                        << QRect(45, 230, 4, 4);
    // An odd half width moves the tube, not the ticks or the bulb.
    QTest::newRow("odd half width") << 99 << QList<int>{50, 61, 75} << QRect(39, 225, 20, 20) << QRect(44, 230, 4, 4);
}

void ThermometerGeometryTest::columnsAndBulbFollowWidth()
{
    QFETCH(int, width);
    QFETCH(QList<int>, columns);
    QFETCH(QRect, bulb);
    QFETCH(QRect, dot);
    const ThermoScaleGeometry s;
    QCOMPARE(QList<int>({tubeCenterX(width), tickStartX(s, width), labelStartX(s, width)}), columns);
    QCOMPARE(bulbRect(s, width, GaugeHeight), bulb);
    QCOMPARE(bulbDotRect(bulb, s.offset), dot);
    QCOMPARE(bulbHighlightTriangle(bulb),
             QPolygon({bulb.topLeft(), QPoint(bulb.x(), GaugeHeight), QPoint(bulb.x() + 10, bulb.y())}));
    // The 6-pixel tube and its 8-pixel white edge around the centre.
    QCOMPARE(tubeWidth(s.offset), 6);
    QCOMPARE(bandLeft(columns[0], 6), columns[0] - 3);
    QCOMPARE(bandLeft(columns[0], 8), columns[0] - 4);
}

void ThermometerGeometryTest::ticksAndLabelsOfTheLivePageScale()
{
    const ThermoScaleGeometry s;
    QCOMPARE(longTickRows(s, GaugeHeight), (QList<int>{225, 191, 157, 123, 88, 54, 20}));
    const QList<int> shortRows = shortTickRows(s, GaugeHeight);
    QCOMPARE(shortRows.size(), 29);        // -16 .. 96 every 4 degrees
    QCOMPARE(shortRows.first(), 245 - 27); // 20 + 4 * 205 / 120 = 26.83
    QCOMPARE(shortRows.last(), 245 - 218); // 20 + 116 * 205 / 120 = 218.17

    const QList<double> values = labelValues(s);
    QStringList texts;
    QList<int> rows;
    for (qsizetype i = 0; i < values.size(); ++i) {
        texts << scaleLabelText(values[i], 0, QStringLiteral("%s"));
        rows << labelRow(s, GaugeHeight, values[i], i == 0, i == 1);
    }
    QCOMPARE(texts, (QStringList{"-20", "100", "0", "20", "40", "60", "80"}));
    QCOMPARE(rows, (QList<int>{225, 20, 191, 157, 123, 88, 54}));
    // Boxes 15 rows high: centred on the tick; the minimum's placed by its
    // bottom, half a text height below the tick.
    QCOMPARE(labelTop(100, 15, false), 93);
    QCOMPARE(labelTop(100, 15, true), 92);
}

void ThermometerGeometryTest::innerMarkCount_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<int>("count");
    QTest::newRow("long ticks") << -20.0 << 100.0 << 20.0 << 5;
    QTest::newRow("spacing not dividing the range") << 0.0 << 10.0 << 3.0 << 2;
    QTest::newRow("one step") << 0.0 << 1.0 << 1.0 << 0;
    QTest::newRow("reversed range") << 100.0 << -20.0 << 20.0 << 0;
    QTest::newRow("zero spacing") << -20.0 << 100.0 << 0.0 << 0;
    QTest::newRow("negative spacing") << -20.0 << 100.0 << -4.0 << 0;
    QTest::newRow("NaN spacing") << -20.0 << 100.0 << NaN << 0;
    QTest::newRow("densest allowed") << 0.0 << double(maxInnerMarks + 1) << 1.0 << maxInnerMarks;
    QTest::newRow("too dense to count") << 0.0 << 1e9 << 0.001 << 0;
}

void ThermometerGeometryTest::innerMarkCount()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, spacing);
    QFETCH(int, count);
    QCOMPARE(::innerMarkCount(min, max, spacing), count);
}

void ThermometerGeometryTest::labelText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal comma") << 12.5 << 1 << "%s"
                                   << "12,5";
    QTest::newRow("padded decimals") << 20.0 << 2 << "%s"
                                     << "20,00";
    QTest::newRow("halves round away from zero") << 2.5 << 0 << "%s"
                                                 << "3";
    QTest::newRow("negative half") << -2.5 << 0 << "%s"
                                   << "-3";
    QTest::newRow("exact binary half at a decimal") << 0.125 << 2 << "%s"
                                                    << "0,13";
    QTest::newRow("carry into a new digit") << 9.96 << 1 << "%s"
                                            << "10,0";
    QTest::newRow("below the last decimal") << 0.004 << 2 << "%s"
                                            << "0,00";
    QTest::newRow("8 significant digits, rest zeros") << 1.23456789 << 10 << "%s"
                                                      << "1,2345679000";
    QTest::newRow("small fraction, 8 digits") << 0.000123456789 << 12 << "%s"
                                              << "0,000123456790";
    QTest::newRow("largest fixed") << 99999999.0 << 0 << "%s"
                                   << "99999999";
    QTest::newRow("too many integer digits") << 123456789.0 << 0 << "%s"
                                             << "1,2345679E+8";
    QTest::newRow("no negative zero") << -0.4 << 0 << "%s"
                                      << "0";
    QTest::newRow("negative decimals taken as 0") << 1.4 << -3 << "%s"
                                                  << "1";
    QTest::newRow("format with unit") << 20.0 << 0 << "%s°"
                                      << "20°";
    QTest::newRow("percent escaped") << 20.0 << 0 << "%%%s"
                                     << "%20";
    QTest::newRow("other specifier kept literally") << 20.0 << 0 << "%d %s"
                                                    << "%d 20";
    QTest::newRow("trailing percent") << 20.0 << 0 << "%s%"
                                      << "20%";
    QTest::newRow("NaN") << NaN << 0 << "%s"
                         << "NAN";
}

void ThermometerGeometryTest::labelText()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(scaleLabelText(value, decimals, format), text);
}

QTEST_GUILESS_MAIN(ThermometerGeometryTest)
#include "test_thermometer_geometry.moc"
