#include "AspectRatioWidget.h"
#include "FixedGridLayout.h"
#include "SquareLayout.h"
#include "UniformGridLayout.h"
#include "ZAccordeonWidget.h"
#include "ZEllipse.h"
#include "ZExpander.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Lays `count` widgets into the layout on a host, with no spacing or margins, and returns the
// rectangle each is given in `area`.
QList<QRect> placed(QLayout* layout, int count, const QRect& area)
{
    auto host = std::make_unique<QWidget>();
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    host->setLayout(layout);
    QList<QWidget*> widgets;
    for (int index = 0; index < count; ++index) {
        widgets << new QWidget(host.get());
        layout->addWidget(widgets.last());
    }
    layout->setGeometry(area);
    QList<QRect> rectangles;
    for (const QWidget* widget : widgets)
        rectangles << widget->geometry();
    return rectangles;
}

QList<bool> openSections(const ZAccordeonWidget& accordeon)
{
    QList<bool> open;
    for (const ZExpander* section : accordeon.findChildren<ZExpander*>())
        open << section->isExpanded();
    return open;
}

} // namespace

class TestLayoutWidgets : public QObject
{
    Q_OBJECT

private slots:
    void gridLayoutsPlaceEqualCells()
    {
        const QList<QRect> fixed =
            placed(new FixedGridLayout(Qt::Vertical, 3, QSize(10, 10)), 7, QRect(0, 0, 300, 300));
        QCOMPARE(fixed[4], QRect(100, 100, 100, 100));
        QCOMPARE(fixed[6], QRect(0, 200, 100, 100));
        const QList<QRect> sideways =
            placed(new FixedGridLayout(Qt::Horizontal, 2, QSize(40, 10)), 3, QRect(0, 0, 60, 100));
        QCOMPARE(sideways[2], QRect(40, 0, 40, 50));

        const QList<QRect> wide =
            placed(new UniformGridLayout(QSize(1, 1), Qt::KeepAspectRatio), 4, QRect(0, 0, 400, 100));
        QCOMPARE(wide[3], QRect(300, 0, 100, 100));
        const QList<QRect> square =
            placed(new UniformGridLayout(QSize(5, 5), Qt::KeepAspectRatio), 4, QRect(0, 0, 200, 200));
        QCOMPARE(square[3], QRect(100, 100, 100, 100));
        const QList<QRect> stretched =
            placed(new UniformGridLayout(QSize(1, 1), Qt::IgnoreAspectRatio), 4, QRect(0, 0, 200, 100));
        QCOMPARE(stretched[3], QRect(100, 50, 100, 50));

        const QList<QRect> squares = placed(new SquareLayout(2, 2), 5, QRect(0, 0, 300, 100));
        QCOMPARE(squares[0], QRect(100, 0, 50, 50));
        QCOMPARE(squares[3], QRect(150, 50, 50, 50));

        // Counts below 1 and cells without size place without a division by zero.
        QCOMPARE(placed(new FixedGridLayout(Qt::Vertical, 0, QSize()), 2, QRect(0, 0, 100, 100))[1],
                 QRect(0, 50, 100, 50));
        QCOMPARE(placed(new SquareLayout(0, -3), 1, QRect(0, 0, 100, 50))[0], QRect(25, 0, 50, 50));
        QCOMPARE(placed(new UniformGridLayout(QSize(0, 0), Qt::KeepAspectRatio), 1, QRect(0, 0, 90, 30))[0],
                 QRect(0, 0, 30, 30));
    }

    void aspectRatioWidgetFitsItsContent()
    {
        AspectRatioWidget widget(2.0);
        auto* content = new QLabel(QStringLiteral("content"));
        widget.setInnerWidget(content);
        QSignalSpy resized(&widget, &AspectRatioWidget::resized);
        QSignalSpy scaled(&widget, &AspectRatioWidget::changedScale);
        widget.resize(300, 100);
        widget.show();
        QTRY_VERIFY(!resized.isEmpty());
        QCOMPARE(resized.last(), (QList<QVariant>{200, 100}));
        QCOMPARE(content->size(), QSize(200, 100));

        widget.setAspectRatio(400.0, 200.0);
        QCOMPARE(widget.getOriginalSize(), QSize(400, 200));
        QCOMPARE(widget.getCurrentScale(), 0.5);
        QCOMPARE(scaled.count(), 1);

        QSignalSpy ratio(&widget, &AspectRatioWidget::changedAspectRatio);
        QSignalSpy original(&widget, &AspectRatioWidget::changedOriginalSize);
        widget.setAspectRatio(0.0, 5.0);
        widget.setAspectRatio(std::nan(""), 5.0);
        QCOMPARE(ratio.count() + original.count(), 0);
        widget.setAspectRatio(-1.0);
        QCOMPARE(widget.getAspectRatio(), 0.0);

        // A new inner widget replaces, and deletes, the one before.
        QPointer<QLabel> old(content);
        widget.setAspectRatio(QSize(100, 100));
        widget.setInnerWidget(new QLabel(QStringLiteral("next")));
        QVERIFY(old.isNull());
        QCOMPARE(resized.last(), (QList<QVariant>{100, 100}));
    }

    void accordeonKeepsItsRule()
    {
        ZAccordeonWidget accordeon;
        for (const QString& title : {"one", "two", "three"})
            accordeon.addTab(new QLabel(title), title);
        QCOMPARE(openSections(accordeon), (QList<bool>{true, false, false}));
        accordeon.closeTab(0);
        QCOMPARE(openSections(accordeon), (QList<bool>{true, false, false}));
        accordeon.openTab(2);
        QCOMPARE(openSections(accordeon), (QList<bool>{false, false, true}));
        accordeon.openTab(7);

        accordeon.setTabMode(ZAccordeonWidget::CollapsibleOne);
        accordeon.closeTab(2);
        QCOMPARE(openSections(accordeon), (QList<bool>{false, false, false}));

        accordeon.setTabMode(ZAccordeonWidget::AnyOne);
        for (int index = 0; index < 3; ++index)
            accordeon.openTab(index);
        QCOMPARE(openSections(accordeon), (QList<bool>{true, true, true}));
        accordeon.setTabMode(ZAccordeonWidget::CollapsibleOne);
        QCOMPARE(openSections(accordeon), (QList<bool>{true, false, false}));
    }

    void ellipseDrawsWithinItsStroke()
    {
        ZEllipse ellipse(QBrush(Qt::red), Qt::blue, 0.0f, 100, 40);
        ellipse.setAsCircle(true);
        QImage image = ellipse.grab().toImage();
        QCOMPARE(image.pixelColor(50, 20), QColor(Qt::red));
        QCOMPARE(image.pixelColor(32, 20), QColor(Qt::red));
        QCOMPARE(image.pixelColor(28, 20).alpha(), 0);
        ellipse.setStroke(Qt::blue, 2.0f);
        image = ellipse.grab().toImage();
        QCOMPARE(image.pixelColor(32, 20), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(36, 20), QColor(Qt::red));
        QCOMPARE(image.pixelColor(29, 20).alpha(), 0);
        ellipse.setStroke(Qt::blue, 1000.0f);
        ellipse.grab();
    }
};

QTEST_MAIN(TestLayoutWidgets)
#include "tst_layoutwidgets.moc"
