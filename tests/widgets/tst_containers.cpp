#include "UIHelper.h"
#include "WidgetPixels.h"
#include "ZExpander.h"
#include "ZScrollViewer.h"
#include "ZStackPanel.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

namespace {
bool isRed(const QColor& c)
{
    return c.red() > 200 && c.green() < 60;
}

bool isGreen(const QColor& c)
{
    return c.green() > 200 && c.red() < 60;
}

QLabel* tallLabel(int height)
{
    auto* label = new QLabel(QStringLiteral("item"));
    label->setFixedHeight(height);
    return label;
}
} // namespace

class TestContainers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(addShippedThemes()); }

    void scrollViewerPacksItemsAndShowsItsPlaceholderWhileEmpty()
    {
        ZScrollViewer viewer;
        viewer.resize(200, 300);
        QLabel* placeholder = viewer.setPlaceholderText(QStringLiteral("Nothing yet"), Qt::AlignCenter, Qt::AlignCenter,
                                                        QStringLiteral("subtext"), 4);
        viewer.show();
        QVERIFY(placeholder->isVisible());
        viewer.add(nullptr);
        QCOMPARE(viewer.count(), 0);
        QLabel* first = tallLabel(20);
        QLabel* second = tallLabel(30);
        viewer.add(first);
        viewer.addWidget(second);
        QVERIFY(!placeholder->isVisible());
        QCOMPARE(viewer.itemAt(1), second);
        QVERIFY(!viewer.itemAt(-1) && !viewer.itemAt(2));
        viewer.setSpacing(5);
        QTRY_COMPARE(second->y(), first->height() + 5);
        ZStackPanel* panel = viewer.getStackPanel();
        QCOMPARE(panel->at(0), first);
        panel->setOrientation(Qt::Horizontal);
        QCOMPARE(panel->boxOrientation(), QBoxLayout::LeftToRight);
        QTRY_VERIFY(second->x() > first->x());
        viewer.setItemVisible(2, false);

        viewer.remove(first);
        QVERIFY(!first->parent());
        delete first;
        // An item its owner deletes is forgotten, and clearing never touches it again.
        delete second;
        QCOMPARE(viewer.count(), 0);
        QPointer<QLabel> third = tallLabel(10);
        viewer.add(third);
        viewer.add(tallLabel(10));
        viewer.clear();
        QVERIFY(placeholder->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!third);
        delete placeholder;
        viewer.add(tallLabel(10));
        QCOMPARE(viewer.count(), 1);

        viewer.setBackgroundAndBorder(Qt::green, 2, Qt::red);
        QVERIFY(isRed(pixelAt(*viewer.getScrollArea(), 0, 150)));
        QVERIFY(isGreen(pixelAt(*viewer.getScrollArea(), 100, 150)));
    }

    void rectanglesRoundTheirCorners_data()
    {
        QTest::addColumn<QList<int>>("radii");
        // Top-left, top-right, bottom-right, bottom-left: r when filled, b when the background shows.
        QTest::addColumn<QString>("corners");
        QTest::newRow("square") << QList<int>{0, 0, 0, 0} << "rrrr";
        QTest::newRow("uniform") << QList<int>{8, 8, 8, 8} << "bbbb";
        QTest::newRow("left only") << QList<int>{8, 0, 0, 8} << "brrb";
        QTest::newRow("negative counts as none") << QList<int>{-8, 8, 8, -8} << "rbbr";
        QTest::newRow("one corner") << QList<int>{0, 0, 8, 0} << "rrbr";
    }

    void rectanglesRoundTheirCorners()
    {
        QFETCH(QList<int>, radii);
        QFETCH(QString, corners);
        QWidget host;
        host.resize(40, 40);
        UIHelper::ChangeBackground(&host, Qt::green);
        ZRectangle rectangle(Qt::red, 40, 40, &host);
        rectangle.setBorderRadius(radii[0], radii[1], radii[2], radii[3]);
        const QImage image = host.grab().toImage();
        const QList<QPoint> points{{1, 1}, {37, 1}, {37, 37}, {1, 37}};
        for (int i = 0; i < 4; ++i) {
            const QColor colour = image.pixelColor(points[i]);
            QVERIFY2(corners[i] == 'r' ? isRed(colour) : isGreen(colour), qPrintable(QString::number(i)));
        }
        QVERIFY(isRed(image.pixelColor(20, 20)));
        rectangle.setBorder(Qt::blue, 1);
        QCOMPARE(pixelAt(host, 20, 0), QColor(Qt::blue));
    }

    void wrappedRectanglesFollowTheTheme()
    {
        StyleHelper* style = StyleHelper::Instance();
        style->selectTheme(QStringLiteral("light"));
        std::unique_ptr<ZRectangle> wrapped(
            StyleHelper::Wrap(new QLabel(QStringLiteral("inside")), "--z-panel-bg", "--z-accent"));
        wrapped->resize(60, 30);
        ZRectangle fallback(Qt::white);
        fallback.resize(60, 30);
        style->setZRectColorWithBorder(&fallback, "--z-unknown", "--z-btn-border", Qt::red, Qt::blue);
        style->setZRectColor(&fallback, QString(), QString(), Qt::black);
        QCOMPARE(pixelAt(*wrapped, 2, 2), QColor(0xCC, 0xCC, 0xCC));
        QCOMPARE(pixelAt(*wrapped, 30, 0), QColor(0x77, 0xAA, 0xCC));
        QCOMPARE(centreColour(fallback), QColor(Qt::red));
        QCOMPARE(fallback.borderColor(), QColor(0xCC, 0xCC, 0xCC));
        style->selectTheme(QStringLiteral("dark"));
        QCOMPARE(pixelAt(*wrapped, 2, 2), QColor(0x29, 0x29, 0x29));
        QCOMPARE(pixelAt(*wrapped, 30, 0), QColor(0x11, 0x55, 0x99));
        QCOMPARE(fallback.borderColor(), QColor(0x55, 0x55, 0x55));
        QVERIFY(wrapped->findChild<QLabel*>());
        style->selectTheme(QStringLiteral("light"));
    }

    void expanderShowsAndHidesItsContent()
    {
        ZExpander expander(QStringLiteral("Detection"));
        QVERIFY(expander.isExpanded());
        expander.setInnerWidget(tallLabel(100));
        auto* header = expander.findChild<QPushButton*>();
        QCOMPARE(header->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(expander.sizeHint().height() > 100);
        QSignalSpy changed(&expander, &ZExpander::changedState);
        QSignalSpy collapsed(&expander, &ZExpander::collapsed);

        expander.collapse();
        QCOMPARE(collapsed.count(), 1);
        QVERIFY(!header->isChecked());
        QVERIFY(expander.sizeHint().height() < 50);
        const QString right = QStringLiteral(":/icons/chevron-right.svg");
        QCOMPARE(header->icon().cacheKey(), StyleHelper::ColoredIcon(right, "#FFF", "#303030").cacheKey());
        StyleHelper::Instance()->selectTheme(QStringLiteral("dark"));
        QTest::mouseClick(header, Qt::LeftButton);
        QVERIFY(expander.isExpanded() && header->isChecked());
        QCOMPARE(changed, QList<QVariantList>({{false}, {true}}));
        QCOMPARE(drawnColour(header->icon()), QColor(Qt::white));
        QVERIFY(expander.sizeHint().height() > 100);
        StyleHelper::Instance()->selectTheme(QStringLiteral("light"));
    }
};

QTEST_MAIN(TestContainers)
#include "tst_containers.moc"
