#include "CursorHelper.h"

#include <QMetaMethod>
#include <QPixmap>
#include <QTest>
#include <QWidget>

class WatchedWidget : public QWidget
{
public:
    int destroyedWatches() const { return receivers(SIGNAL(destroyed(QObject*))); }
};

class TestCursorHelper : public QObject
{
    Q_OBJECT

private slots:
    void customCursorsReachRememberedWidgets()
    {
        WatchedWidget pointing;
        QWidget waiting;
        auto* gone = new QWidget;
        CursorHelper::setCursor(&pointing, Qt::ArrowCursor);
        CursorHelper::setCursor(&pointing, Qt::PointingHandCursor);
        CursorHelper::setCursor(&waiting, Qt::WaitCursor);
        CursorHelper::setCursor(gone, Qt::PointingHandCursor);
        CursorHelper::setCursor(nullptr, Qt::PointingHandCursor);
        delete gone;

        QPixmap hand(16, 16);
        hand.fill(Qt::red);
        CursorHelper::InstallCursor(Qt::PointingHandCursor, hand, 3, 4);
        QCOMPARE(pointing.cursor().shape(), Qt::PointingHandCursor);

        CursorHelper::setIsCustomCursorEnabled(true);
        QVERIFY(CursorHelper::getIsCustomCursorEnabled());
        QCOMPARE(pointing.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(pointing.cursor().hotSpot(), QPoint(3, 4));
        QCOMPARE(waiting.cursor().shape(), Qt::WaitCursor);

        CursorHelper::setIsCustomCursorEnabled(false);
        QCOMPARE(pointing.cursor().shape(), Qt::PointingHandCursor);
        // Each assignment and reassignment above left one watch on the widget's end.
        QCOMPARE(pointing.destroyedWatches(), 1);
    }
};

QTEST_MAIN(TestCursorHelper)
#include "tst_cursorhelper.moc"
