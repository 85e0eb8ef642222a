#include "Clock.h"
#include "FPSWidget.h"
#include "FrameRateCounter.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A counter on a clock that moves only when told to.
struct ManualCounter
{
    ManualClock clock;
    FrameRateCounter counter;

    ManualCounter() { counter.setClock(&clock); }

    void frameAfter(qint64 ms)
    {
        clock.advance(ms);
        counter.nextFrame();
    }
};

} // namespace

class TestFrameRateCounter : public QObject
{
    Q_OBJECT

private slots:
    void countsOverTheLastIntervals();
    void sameMillisecondCountsAsOne();
    void watchTimeHoldsTheLastSecond();
    void accumulatorIsAtLeastOne();
    void clearStartsOver();
    void labelFollowsOnlyWhileVisible();
    void labelSwitchesCounters();
};

void TestFrameRateCounter::countsOverTheLastIntervals()
{
    ManualCounter manual;
    QSignalSpy rates(&manual.counter, &FrameRateCounter::frameRateChanged);
    manual.frameAfter(0);
    QCOMPARE(rates.count(), 0); // one event alone gives no rate
    manual.frameAfter(40);
    QCOMPARE(rates.count(), 1);
    QCOMPARE(rates.last().first().toDouble(), 25.0);

    // The default holds 10 intervals: a slow start drops out once 11 stamps are newer.
    ManualCounter slowStart;
    slowStart.frameAfter(0);
    slowStart.frameAfter(500);
    for (int i = 0; i < 9; ++i)
        slowStart.frameAfter(40);
    QCOMPARE(slowStart.counter.getFrameRate(), 10 * 1000.0 / (500 + 9 * 40));
    slowStart.frameAfter(40);
    QCOMPARE(slowStart.counter.getFrameRate(), 25.0);
    QCOMPARE(slowStart.counter.getFrameCount(), 12);

    // A time server setting the wall clock back an hour does not upset the rate.
    slowStart.clock.setWallMs(slowStart.clock.wallMs() - 3'600'000);
    slowStart.frameAfter(40);
    QCOMPARE(slowStart.counter.getFrameRate(), 25.0);
}

void TestFrameRateCounter::sameMillisecondCountsAsOne()
{
    ManualCounter manual;
    manual.frameAfter(0);
    manual.frameAfter(0);
    QCOMPARE(manual.counter.getFrameRate(), 1000.0);
}

void TestFrameRateCounter::watchTimeHoldsTheLastSecond()
{
    // A slow first interval, then a steady 100 ms.
    const auto feed = [](ManualCounter& manual) {
        manual.frameAfter(0);
        manual.frameAfter(300);
        for (int i = 0; i < 8; ++i)
            manual.frameAfter(100);
    };
    ManualCounter watching;
    watching.counter.setMaxWatchTime(1000);
    feed(watching);
    // The first stamp is older than a second: 9 stamps, 8 intervals of 100 ms are held.
    QCOMPARE(watching.counter.getFrameRate(), 10.0);

    ManualCounter counting;
    feed(counting);
    QCOMPARE(counting.counter.getFrameRate(), 9 * 1000.0 / 1100);
}

void TestFrameRateCounter::accumulatorIsAtLeastOne()
{
    ManualCounter manual;
    manual.counter.setAccumulator(0);
    manual.frameAfter(0);
    manual.frameAfter(100);
    manual.frameAfter(50);
    QCOMPARE(manual.counter.getFrameRate(), 20.0); // only the last interval counts
}

void TestFrameRateCounter::clearStartsOver()
{
    ManualCounter manual;
    manual.frameAfter(0);
    manual.frameAfter(40);
    QSignalSpy rates(&manual.counter, &FrameRateCounter::frameRateChanged);
    manual.counter.restart();
    QCOMPARE(rates.count(), 1);
    QCOMPARE(rates.last().first().toDouble(), 0.0);
    QCOMPARE(manual.counter.getFrameCount(), 0);
    manual.frameAfter(1000);
    QCOMPARE(rates.count(), 1); // the old stamps are gone: a single event again

    manual.counter.setFrameRate(25.0);
    manual.counter.setFrameRate(25.0);
    QCOMPARE(rates.count(), 3); // set without comparing
}

void TestFrameRateCounter::labelFollowsOnlyWhileVisible()
{
    ManualCounter manual;
    FPSWidget widget(&manual.counter);
    widget.setSuffix(" fps");
    QCOMPARE(widget.getCounter(), &manual.counter);
    manual.frameAfter(0);
    manual.frameAfter(40);
    QCOMPARE(widget.text(), QString());

    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCOMPARE(widget.text(), QString()); // shows the next rate only
    manual.frameAfter(40);
    QCOMPARE(widget.text(), QString("25.0 fps"));
}

void TestFrameRateCounter::labelSwitchesCounters()
{
    ManualCounter first;
    ManualCounter second;
    FPSWidget widget(&first.counter);
    QSignalSpy counterChanges(&widget, &FPSWidget::counterChanged);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    widget.setCounter(&second.counter);
    QCOMPARE(counterChanges.count(), 1);
    first.frameAfter(0);
    first.frameAfter(40);
    QCOMPARE(widget.text(), QString());
    second.frameAfter(0);
    second.frameAfter(100);
    QCOMPARE(widget.text(), QString("10.0"));
}

QTEST_MAIN(TestFrameRateCounter)
#include "tst_frameratecounter.moc"
