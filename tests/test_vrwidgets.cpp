// The embossed label and the segmented progress bar: their rules for
// values, what they paint, and repainting only on a real change.

#include "support/PaintCounter.h"
#include "widgets/BgrColor.h"
#include "widgets/ProgressGeometry.h"
#include "widgets/TVrLabel.h"
#include "widgets/TVrProgressBar.h"

#include <QtTest>

namespace {

struct Range {
    int min, max, position;
};

} // namespace
Q_DECLARE_METATYPE(Range)

class VrWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void labelPaintsRaisedCentredText();
    void labelRepaintsOnlyForNewText();
    void progressPercentAndLength_data();
    void progressPercentAndLength();
    void progressBlocks_data();
    void progressBlocks();
    void progressBarKeepsPositionInRange_data();
    void progressBarKeepsPositionInRange();
    void progressBarPaintsBlocksAndBevel();
    void progressBarRepaintsOnlyOnChange();
};

void VrWidgetsTest::labelPaintsRaisedCentredText()
{
    TVrLabel label(QStringLiteral("25,3°C"));
    label.resize(120, 30);
    label.setColor(QColor(192, 220, 192));
    const QImage image = label.renderImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(192, 220, 192));

    int top = INT_MAX, bottom = INT_MIN, left = INT_MAX, right = INT_MIN;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(192, 220, 192)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    // Centred both ways, give or take the glyphs' own shape.
    QVERIFY2(std::abs((left + right) - 119) <= 3, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
    QVERIFY2(std::abs((top + bottom) - 29) <= 6, qPrintable(QStringLiteral("%1..%2").arg(top).arg(bottom)));

    // White highlight up-left, grey shadow down-right, black text between:
    // the top-most ink row is lighter than the background, the bottom-most
    // only darker (grey), never black; black lies in between.
    const auto lighter = [](const QColor &c) { return c.red() > 192 && c.green() > 220 && c.blue() > 192; };
    const auto darker = [](const QColor &c) { return c.red() < 192 && c.green() < 220 && c.blue() < 192; };
    bool lightOnTop = false, darkAtBottom = false;
    for (int x = left; x <= right; ++x) {
        lightOnTop |= lighter(image.pixelColor(x, top));
        const QColor b = image.pixelColor(x, bottom);
        darkAtBottom |= darker(b);
        QVERIFY(!lighter(b));
        QVERIFY(b.red() >= 128);
    }
    QVERIFY(lightOnTop && darkAtBottom);
    bool black = false;
    for (int x = left; x <= right && !black; ++x)
        for (int y = top; y <= bottom && !black; ++y)
            black = image.pixelColor(x, y) == QColor(0, 0, 0);
    QVERIFY(black);
}

void VrWidgetsTest::labelRepaintsOnlyForNewText()
{
    TVrLabel label;
    label.resize(120, 30);
    PaintCounter paints(&label);
    QVERIFY(paints.showAndSettle());
    paints.expectRepaint([&] { label.setCaption(QStringLiteral("0°C")); }, true, "new text");
    paints.expectRepaint([&] { label.setCaption(QStringLiteral("0°C")); }, false, "same text");
    paints.expectRepaint([&] { label.setColor(QColor(192, 220, 192)); }, true, "new colour");
    QCOMPARE(label.Caption(), QStringLiteral("0°C"));
}

void VrWidgetsTest::progressPercentAndLength_data()
{
    QTest::addColumn<Range>("range");
    QTest::addColumn<int>("innerWidth");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("length");
    QTest::newRow("full") << Range{0, 20, 20} << 735 << 100 << 735;
    QTest::newRow("half, truncated") << Range{0, 20, 10} << 735 << 50 << 367;
    QTest::newRow("one of twenty") << Range{0, 20, 1} << 735 << 5 << 36;
    QTest::newRow("empty") << Range{0, 20, 0} << 735 << 0 << 0;
    QTest::newRow("percent truncated first") << Range{0, 3, 1} << 735 << 33 << 242;
    QTest::newRow("offset minimum") << Range{10, 30, 15} << 100 << 25 << 25;
    QTest::newRow("negative range") << Range{-50, 50, 0} << 200 << 50 << 100;
    QTest::newRow("wide range does not overflow") << Range{-2000000000, 2000000000, 0} << 735 << 50 << 367;
    QTest::newRow("large values do not overflow") << Range{0, 2000000000, 1999999999} << 735 << 99 << 727;
    QTest::newRow("empty range") << Range{5, 5, 5} << 735 << 0 << 0;
}

void VrWidgetsTest::progressPercentAndLength()
{
    QFETCH(Range, range);
    QFETCH(int, innerWidth);
    QFETCH(int, percent);
    QFETCH(int, length);
    QCOMPARE(progressPercent(range.min, range.max, range.position), percent);
    QCOMPARE(progressFilledLength(innerWidth, range.min, range.max, range.position), length);
}

void VrWidgetsTest::progressBlocks_data()
{
    QTest::addColumn<int>("innerWidth");
    QTest::addColumn<int>("innerHeight");
    QTest::addColumn<int>("filled");
    QTest::addColumn<QList<ProgressBlock>>("blocks");
    // Inner height 13: blocks 13*2/3 - 2 = 6 wide, 2 apart.
    QTest::newRow("nothing filled") << 40 << 13 << 0 << QList<ProgressBlock>{};
    QTest::newRow("one pixel: no block begins before it") << 40 << 13 << 1 << QList<ProgressBlock>{};
    QTest::newRow("two pixels: a whole first block") << 40 << 13 << 2 << QList<ProgressBlock>{{1, 7}};
    QTest::newRow("up to the second block's start") << 40 << 13 << 9 << QList<ProgressBlock>{{1, 7}};
    QTest::newRow("into the second block") << 40 << 13 << 10 << QList<ProgressBlock>{{1, 7}, {9, 15}};
    QTest::newRow("last block cut at the right edge")
        << 20 << 13 << 20 << QList<ProgressBlock>{{1, 7}, {9, 15}, {17, 20}};
    QTest::newRow("tiny bar: blocks one pixel wide") << 6 << 2 << 6 << QList<ProgressBlock>{{1, 2}, {4, 5}};
}

void VrWidgetsTest::progressBlocks()
{
    QFETCH(int, innerWidth);
    QFETCH(int, innerHeight);
    QFETCH(int, filled);
    QFETCH(QList<ProgressBlock>, blocks);
    QCOMPARE(::progressBlocks(innerWidth, innerHeight, filled), blocks);
}

void VrWidgetsTest::progressBarKeepsPositionInRange_data()
{
    QTest::addColumn<QString>("operations"); // m<n> min, M<n> max, p<n> position
    QTest::addColumn<Range>("expected");
    QTest::newRow("defaults") << "" << Range{0, 20, 20};
    QTest::newRow("position within range") << "p7" << Range{0, 20, 7};
    QTest::newRow("position above clamped") << "p25" << Range{0, 20, 20};
    QTest::newRow("position below clamped") << "p-3" << Range{0, 20, 0};
    QTest::newRow("raising max keeps position") << "M100" << Range{0, 100, 20};
    QTest::newRow("lowering max lowers position") << "M5" << Range{0, 5, 5};
    QTest::newRow("max equal to min ignored") << "M0" << Range{0, 20, 20};
    QTest::newRow("max below min ignored") << "M-5 p3" << Range{0, 20, 3};
    QTest::newRow("download: new max, reset position") << "M57 p0 p12" << Range{0, 57, 12};
    QTest::newRow("raising min raises position") << "p3 m10" << Range{10, 20, 10};
    QTest::newRow("min equal to max ignored") << "m20" << Range{0, 20, 20};
    QTest::newRow("negative min") << "m-10 p-4" << Range{-10, 20, -4};
}

void VrWidgetsTest::progressBarKeepsPositionInRange()
{
    QFETCH(QString, operations);
    QFETCH(Range, expected);
    TVrProgressBar bar;
    for (const QString &op : operations.split(u' ', Qt::SkipEmptyParts)) {
        const int n = op.mid(1).toInt();
        switch (op.at(0).unicode()) {
        case 'm': bar.setMinValue(n); break;
        case 'M': bar.setMaxValue(n); break;
        case 'p': bar.setPosition(n); break;
        default: QFAIL("bad operation");
        }
    }
    QCOMPARE(bar.MinValue(), expected.min);
    QCOMPARE(bar.MaxValue(), expected.max);
    QCOMPARE(bar.Position(), expected.position);
}

void VrWidgetsTest::progressBarPaintsBlocksAndBevel()
{
    TVrProgressBar bar;
    bar.resize(737, 15);
    bar.setPosition(10);
    QCOMPARE(bar.filledLength(), 367);
    const QImage image = bar.renderImage();
    const QColor black(0, 0, 0);
    const QRgb shadow = bar.palette().color(QPalette::Dark).rgb();
    const QRgb highlight = bar.palette().color(QPalette::Light).rgb();
    QVERIFY(shadow != highlight);
    QCOMPARE(image.pixel(0, 7), shadow);
    QCOMPARE(image.pixel(5, 0), shadow);
    QCOMPARE(image.pixel(736, 7), highlight);
    QCOMPARE(image.pixel(5, 14), highlight);
    // Inner column 0 is a gap, 1..6 the first block in gradient colours.
    QCOMPARE(image.pixelColor(1, 7), black);
    QCOMPARE(image.pixelColor(2, 1), QColor(0, 128, 0));
    QCOMPARE(image.pixelColor(2, 13), QColor(0, 128, 0));
    QCOMPARE(image.pixelColor(8, 7), black); // gap after the first block
    // The last block begins before the filled length (inner 361..366 and
    // 369.. would begin after 367).
    const QColor at366 = progressGradientColor(colorFromBgr(Bgr::Green), colorFromBgr(Bgr::Lime), 366, 735);
    QCOMPARE(image.pixelColor(1 + 366, 7), at366);
    QCOMPARE(image.pixelColor(1 + 369, 7), black);
    QCOMPARE(image.pixelColor(1 + 600, 7), black);

    bar.setPosition(20);
    const QImage full = bar.renderImage();
    // The gradient spans the whole bar: green (0,128,0) at inner column 0,
    // 128 + 127 * 361 / 734 = 190 green at 361, lime at the last column 734
    // (the block at 729 runs to the bar's right edge).
    QCOMPARE(full.pixelColor(1 + 361, 7), QColor(0, 190, 0));
    QCOMPARE(full.pixelColor(1 + 734, 7), QColor(0, 255, 0));
}

void VrWidgetsTest::progressBarRepaintsOnlyOnChange()
{
    TVrProgressBar bar;
    bar.resize(737, 15);
    PaintCounter paints(&bar);
    QVERIFY(paints.showAndSettle());
    paints.expectRepaint([&] { bar.setPosition(0); }, true, "new position");
    paints.expectRepaint([&] { bar.setPosition(0); }, false, "same position");
    paints.expectRepaint([&] { bar.setPosition(-5); }, false, "clamped to the same position");
    paints.expectRepaint([&] { bar.setMaxValue(20); }, false, "same maximum");
    paints.expectRepaint([&] { bar.setMaxValue(0); }, false, "ignored maximum");
    paints.expectRepaint([&] { bar.setMaxValue(40); }, false, "new maximum, the bar still empty");
    paints.expectRepaint([&] { bar.setMinValue(0); }, false, "same minimum");
    paints.expectRepaint([&] { bar.setPosition(20); }, true, "half the bar");
    paints.expectRepaint([&] { bar.setMaxValue(80); }, true, "new maximum, a quarter of the bar");
    paints.expectRepaint([&] { bar.setMaxValue(1000), bar.setPosition(500); }, true, "half a long download");
    paints.expectRepaint([&] { bar.setPosition(509); }, false, "a position within the same hundredth");
    paints.expectRepaint([&] { bar.setPosition(510); }, true, "the next hundredth");
}

QTEST_MAIN(VrWidgetsTest)
#include "test_vrwidgets.moc"
