#include "ExperimentScenario.h"
#include "StyleHelper.h"
#include "TimelineViewer.h"
#include "WidgetPixels.h"

#include <QtTest>

using Action = KestrumBaseDevice::KestrumAction;

namespace {

const QColor lightColour(0xFF, 0xCC, 0x33);
const QColor circuitColour(0x33, 0x99, 0xFF);
const QColor soundColour(0x33, 0x99, 0x33);

// Where the viewer puts its rows: the height less one 12-pixel label line, shared out.
int rowStep(const QWidget& viewer, int rows)
{
    QFont font = viewer.font();
    font.setPixelSize(12);
    return (viewer.height() - QFontMetrics(font).height() - 1) / rows + 1;
}

QColor background()
{
    return StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::white);
}

} // namespace

class TestTimelineViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(addShippedThemes()); }

    void eventLogsAreRead_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<QString>("events");
        QTest::newRow("pairs") << "0|Begin\n100|Start_Light\n400|End_Light\n500|Start_Sound x\n900|End_Sound\n"
                                  "950|Start_Circuit\n1000|End_Circuit\n1500|End"
                               << qint64(1500) << "0:100-400 2:500-900 1:950-1000";
        QTest::newRow("end without start") << "0|Begin\n1200|End_Light\n2000|End" << qint64(2000) << "0:0-1200";
        QTest::newRow("blank lines") << "\n  \n\n" << qint64(0) << "";
        QTest::newRow("damaged lines") << "50|Begin\nabc|End_Light\n-7|End_Sound\n99999999999999999999|End_Light\n"
                                          "|\n650|End"
                                       << qint64(600) << "";
    }

    void eventLogsAreRead()
    {
        QFETCH(QString, log);
        TimelineViewer viewer;
        viewer.parseEvents(log);
        QVERIFY(viewer.eventsValid());
        QFETCH(qint64, duration);
        QCOMPARE(viewer.durationMs(), duration);
        QStringList events;
        for (const TimelineViewer::StimulusEvent& event : viewer.events())
            events << QStringLiteral("%1:%2-%3").arg(int(event.channel)).arg(event.startMs).arg(event.endMs);
        QTEST(events.join(' '), "events");
        // Under a second of log shows only the background.
        viewer.resize(200, 80);
        const QImage picture = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage blank(picture.size(), QImage::Format_RGB32);
        blank.fill(background());
        QCOMPARE(picture == blank, duration < 1000);
    }

    // 4 s over 400 pixels: 100 pixels a second. The startle row holds a reaction 500 ms after
    // a stimulus at 1 s, lasting 1 s.
    void aRunIsDrawnInItsChannelsRows()
    {
        for (const QString theme : {"light", "dark"}) {
            StyleHelper::Instance()->selectTheme(theme);
            TimelineViewer viewer;
            viewer.resize(400, 240);
            viewer.parseEvents("0|Begin\n1000|Start_Light\n2000|End_Light\n2000|Start_Circuit\n3000|End_Circuit\n"
                               "3000|Start_Sound\n4000|End_Sound");
            viewer.setStartleCurve({{0, 0.0f}, {4000, 0.0f}});
            StartleReaction reaction;
            reaction.stimulusStartMs = 1000;
            reaction.startMs = 1500;
            reaction.endMs = 2500;
            viewer.setReactions({reaction});
            const int step = rowStep(viewer, 4);
            const int low = step - 8;
            QCOMPARE(pixelAt(viewer, 50, 4), background());
            QCOMPARE(pixelAt(viewer, 150, 4), lightColour);
            QCOMPARE(pixelAt(viewer, 150, step + 4), background());
            QCOMPARE(pixelAt(viewer, 250, step + 4), circuitColour);
            QCOMPARE(pixelAt(viewer, 350, 2 * step + 4), soundColour);
            QCOMPARE(pixelAt(viewer, 125, 3 * step + low), QColor(0xA7, 0xC3, 0xDE));
            QCOMPARE(pixelAt(viewer, 200, 3 * step + low), QColor(0xF5, 0xC2, 0xC1));
            QCOMPARE(pixelAt(viewer, 330, 3 * step + low), background());
        }
        StyleHelper::Instance()->selectTheme("light");
    }

    // A 500 ms cycle is drawn over one second: 800 pixels, 0.8 pixels a millisecond. A step of
    // no duration still shows.
    void aScenarioIsPreviewed()
    {
        ExperimentScenario scenario;
        scenario.cycleDurationMs = 500;
        scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(0, 0, 40));
        scenario.addStep(KestrumBaseDevice::Circuit, new ScenarioStep(250, 250, 0.76));
        scenario.addStep(KestrumBaseDevice::Sound, new ScenarioStep(500, 0, 2500));
        TimelineViewer viewer;
        viewer.resize(800, 100);
        viewer.setScenario(&scenario);
        const int step = rowStep(viewer, 3);
        QCOMPARE(pixelAt(viewer, 1, 2), lightColour);
        QCOMPARE(pixelAt(viewer, 4, 2), background());
        QCOMPARE(pixelAt(viewer, 190, step + 2), background());
        QCOMPARE(pixelAt(viewer, 210, step + 2), circuitColour);
        QCOMPARE(pixelAt(viewer, 390, step + 2), circuitColour);
        QCOMPARE(pixelAt(viewer, 300, 2 * step + 2), soundColour);
        QCOMPARE(pixelAt(viewer, 500, 2 * step + 2), background());
        QCOMPARE(TimelineViewer::stepLabel(KestrumBaseDevice::Light, 40), QString("40%"));
        QCOMPARE(TimelineViewer::stepLabel(KestrumBaseDevice::Circuit, 0.76), QString("0.8 mA"));
        QCOMPARE(TimelineViewer::stepLabel(KestrumBaseDevice::Sound, 2500), QString("2.5 kHz"));
        viewer.setScenario(nullptr);
        QCOMPARE(pixelAt(viewer, 1, 2), background());
    }
};

QTEST_MAIN(TestTimelineViewer)
#include "tst_timelineviewer.moc"
