#include "BarChart.h"
#include "GaugeWidget.h"
#include "SimpleGraphic.h"
#include "ZSlider.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const QColor Blue(0x11, 0x55, 0x99);
const QColor Brown(0x99, 0x55, 0x11);
const QColor Grid(0xAA, 0xAA, 0xAA);
constexpr float NotANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float Infinite = std::numeric_limits<float>::infinity();

QImage grabbed(QWidget& widget, int width, int height)
{
    widget.resize(width, height);
    return widget.grab().toImage();
}

// A graph of bars with no texts or bottom line, so that pixels show only bars and grid.
void plainBars(SimpleGraphic& graph)
{
    graph.setTextVisible(false, false);
    graph.setBottomLineVisible(false);
    graph.setDrawingStyle(SimpleGraphic::Drawing_Bars);
}

// Which of the columns from 0 to `columns` are blue at the row.
QString blueColumns(const QImage& image, int columns, int row)
{
    QString marks;
    for (int x = 0; x < columns; ++x)
        marks += image.pixelColor(x, row) == Blue ? QLatin1Char('#') : QLatin1Char('.');
    return marks;
}

int pixelsOf(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == color;
    }
    return count;
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT

private slots:
    void barChartLaysOutBars()
    {
        BarChart chart(4);
        chart.setShowNames(false);
        chart.setShowValues(false);
        chart.setBackgroundColor(Qt::white);
        chart.setBarColorToAll(Blue);
        chart.setValues(QList<double>{1.0, 2.0, 0.5, 0.0, 9.0});
        QCOMPARE(chart.getBarValue(3), 0.0);
        // Slots of 50 pixels, bars of 40 from x = 5; a value above the limit fills the height.
        QImage image = grabbed(chart, 200, 100);
        QCOMPARE(blueColumns(image, 56, 10), QString(5, '.') + QString(41, '#') + QString(9, '.') + QLatin1Char('#'));
        QCOMPARE(image.pixelColor(110, 10), QColor(Qt::white));
        QCOMPARE(image.pixelColor(110, 60), Blue);

        chart.setMinBarHeight(3);
        chart.setBarName(7, QStringLiteral("ignored"));
        QCOMPARE(chart.getBarName(7), QString());
        image = grabbed(chart, 200, 100);
        QCOMPARE(image.pixelColor(160, 98), Blue);
        QCOMPARE(image.pixelColor(160, 95), QColor(Qt::white));

        // Equal limits: above them full, at or below them and not-a-number at the minimum height.
        const double values[] = {2.0, 1.0, std::nan(""), -HUGE_VAL};
        chart.setValues(values, 400);
        chart.setMinMax(1.0, 1.0);
        image = grabbed(chart, 200, 100);
        QCOMPARE(image.pixelColor(10, 10), Blue);
        for (int bar = 1; bar < 4; ++bar) {
            QCOMPARE(image.pixelColor(bar * 50 + 10, 90), QColor(Qt::white));
            QCOMPARE(image.pixelColor(bar * 50 + 10, 98), Blue);
        }
        chart.setMinMax(5.0, -5.0);
        chart.setShowNames(true);
        chart.setShowValues(true);
        chart.setPrecision(255);
        chart.setBarWidthRatio(std::nan(""));
        QCOMPARE(chart.getBarWidthRatio(), 0.8);
        for (const QSize& size : {QSize(200, 100), QSize(3, 1), QSize(0, 0)})
            grabbed(chart, size.width(), size.height());
        chart.setBarAmount(0);
        QCOMPARE(chart.minimumWidth(), 0);
        grabbed(chart, 200, 100);
    }

    void gaugeFillsItsRing()
    {
        GaugeWidget gauge;
        gauge.setBackgroundColor(Qt::white);
        const QPoint top(50, 4);
        // Below the text, a tenth of the way round from the ring's start.
        const QPoint left(9, 65);
        gauge.setValue(150.0f);
        QImage image = grabbed(gauge, 100, 100);
        QCOMPARE(image.pixelColor(top), Blue);
        QVERIFY(image.pixelColor(50, 96) != Blue);
        QVERIFY(pixelsOf(image, Qt::black) > 0);
        QCOMPARE(pixelsOf(grabbed(gauge, 100, 60), Qt::black), 0);

        gauge.setValue(25.0f);
        image = grabbed(gauge, 100, 100);
        QCOMPARE(image.pixelColor(top), QColor(Qt::white));
        QCOMPARE(image.pixelColor(left), Blue);

        // Not a number fills nothing; nor does a range without room.
        gauge.setValue(NotANumber);
        image = grabbed(gauge, 100, 100);
        QCOMPARE(image.pixelColor(left), QColor(Qt::white));
        gauge.setRange(5.0f, 5.0f);
        for (float value : {5.0f, 1e30f, -Infinite})
            gauge.setValue(value);
        QCOMPARE(grabbed(gauge, 100, 100).pixelColor(left), QColor(Qt::white));
        gauge.setRange(10.0f, 0.0f);
        grabbed(gauge, 0, 0);
        grabbed(gauge, 100, 100);
    }

    void graphBarsFollowTheScale()
    {
        SimpleGraphic graph;
        plainBars(graph);
        // 500 values in 250 pixels: a step of one pixel, not half of one.
        QList<float> alternating;
        for (int index = 0; index < 500; ++index)
            alternating << float(index % 2);
        graph.setPoints(alternating);
        QCOMPARE(blueColumns(grabbed(graph, 250, 102), 6, 50), QStringLiteral(".#.#.#"));

        // A step of 3: bars 3 wide without a gap; a step of 10: 8 wide inside a pixel each side.
        graph.setPoints(QList<float>(100, 1.0f));
        QCOMPARE(blueColumns(grabbed(graph, 300, 102), 300, 75), QString(300, '#'));
        graph.setPoints(QList<float>(30, 1.0f));
        QCOMPARE(blueColumns(grabbed(graph, 300, 102), 21, 75), QStringLiteral(".########..########.."));

        // A series crossing 0: the zero line, and the grid counted from it.
        graph.setPoints({-1.0f, 1.0f});
        graph.setVerticalPointTickScale(0.5f);
        QImage image = grabbed(graph, 250, 102);
        QCOMPARE(image.pixelColor(60, 50), Grid);
        QCOMPARE(image.pixelColor(60, 25), Grid);
        QCOMPARE(image.pixelColor(60, 37), QColor(Qt::white));
        QCOMPARE(image.pixelColor(200, 37), Blue);
    }

    // Point k of every channel stands at k x W/(n-1), n being the longest channel's length.
    void graphLinesShareTheLongestChannelsSpacing()
    {
        SimpleGraphic graph;
        graph.setTextVisible(false, false);
        graph.setBottomLineVisible(false);
        graph.setFixedYRange(0.0f, 2.0f);
        graph.setPoints(0, QList<float>(5, 0.0f));
        graph.setPoints(1, {1.0f, 1.0f, 1.0f});
        // 200 pixels for four steps of 50: the shorter line ends under the longer one's third point.
        const QImage image = grabbed(graph, 200, 102);
        QCOMPARE(image.pixelColor(50, 49), Brown);
        QCOMPARE(image.pixelColor(95, 49), Brown);
        QCOMPARE(image.pixelColor(150, 49), QColor(Qt::white));
    }

    void graphScalesOverAllChannels()
    {
        SimpleGraphic graph;
        plainBars(graph);
        graph.setPoints(0, {5.0f, 10.0f});
        graph.setPoints(1, {0.0f, 2.0f});
        QCOMPARE(graph.countChannels(), 2);
        // The 10 of the first channel tops the scale, so its 5 reaches half the height.
        const QImage image = grabbed(graph, 200, 102);
        QCOMPARE(image.pixelColor(50, 25), QColor(Qt::white));
        QCOMPARE(image.pixelColor(50, 75), Blue);
        QCOMPARE(image.pixelColor(150, 10), Blue);
        QCOMPARE(image.pixelColor(150, 95), Brown);

        // Values at the limits paint without a crash, in every style.
        graph.setTextVisible(true, true);
        graph.setHorizontalPointTickScale(1e-30f);
        graph.setVerticalPointTickScale(1e-30f);
        graph.setTextFontSize(-3.0f);
        graph.showTooltips(true);
        const QList<QList<float>> limits = {
            {},           {7.0f},       {NotANumber, 1.0f, NotANumber}, {3e38f, -3e38f}, {Infinite, -Infinite},
            {4.0f, 4.0f}, {NotANumber}, QList<float>(5000, -1.0f)};
        for (const QList<float>& values : limits) {
            for (auto style : {SimpleGraphic::Drawing_Lines, SimpleGraphic::Drawing_Bars,
                               SimpleGraphic::Drawing_SeparateBarsLocalValue}) {
                graph.setDrawingStyle(style);
                graph.setPoints(1, values);
                grabbed(graph, 250, 120);
            }
        }
        graph.setFixedYRange(2.0f, 2.0f);
        graph.setTextGridStyle(SimpleGraphic::TextGrid_Time);
        grabbed(graph, 250, 120);
        grabbed(graph, 5, 5);
    }

    void sliderFollowsTheMouse()
    {
        ZSlider slider;
        slider.resize(110, 20);
        QSignalSpy changed(&slider, &ZSlider::positionChanged);
        QSignalSpy clicked(&slider, &ZSlider::positionClicked);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(105, 10));
        QCOMPARE(slider.getPosition(), 100);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(50, 10));
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(slider.getPosition(), 50);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(clicked.count(), 3);
        QTest::mouseMove(&slider, QPoint(0, 10));
        QCOMPARE(slider.getPosition(), 0);
        const QColor marker(0x33, 0x33, 0x33);
        QCOMPARE(grabbed(slider, 110, 20).pixelColor(5, 2), marker);

        // Without room in the range only the groove is painted.
        slider.setRange(5, 5);
        QVERIFY(grabbed(slider, 110, 20).pixelColor(5, 2) != marker);

        // The whole 64-bit range, and a slider no wider than its marker, map without overflow.
        slider.setRange(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(slider.getPosition(), -1);
        grabbed(slider, 110, 20);
        slider.setMinimumSize(0, 0);
        slider.resize(10, 20);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(slider.getPosition(), std::numeric_limits<qint64>::max());
        grabbed(slider, 10, 20);
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
