#include "ContextableWidget.h"
#include "ImageHolder.h"
#include "ImageHolderViewer.h"
#include "ImageWidget.h"

#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {

class WatchedHolder : public ImageHolder
{
public:
    int watchers() const { return receivers(SIGNAL(imageChanged())); }
};

class CountingContextWidget : public ContextableWidget
{
public:
    int changes = 0;

protected:
    void onContextChanged() override { ++changes; }
};

QImage solid(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QRect redrawnRect(const QSignalSpy& spy)
{
    const QList<QVariant> args = spy.last();
    return QRect(args[1].toInt(), args[2].toInt(), args[3].toInt(), args[4].toInt());
}

// Renders the viewer off screen and returns the rectangle its image was drawn into.
QRect renderViewer(ImageHolderViewer& viewer)
{
    QSignalSpy redrawn(&viewer, &ImageHolderViewer::redrawn);
    QImage target(viewer.size(), QImage::Format_ARGB32_Premultiplied);
    viewer.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    return redrawn.isEmpty() ? QRect() : redrawnRect(redrawn);
}

} // namespace

class TestImageHolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QPainter*>(); }
    void holderAnnouncesSizeAndImage();
    void holderKeepsItsOwnCopy();
    void viewerFitsAndAligns();
    void viewerWithoutHolderShowsBlackFourByThree();
    void viewerSkipsEmptyImages();
    void viewerFollowsHolderOnlyWhileShownAndViewing();
    void imageWidgetCentresTheImage();
    void contextIsAnnouncedEveryTime();
};

void TestImageHolder::holderAnnouncesSizeAndImage()
{
    ImageHolder holder;
    QCOMPARE(holder.getImage().size(), QSize(3, 2));
    QCOMPARE(holder.getImage().format(), QImage::Format_RGBA8888);
    QCOMPARE(holder.getImage().pixelColor(2, 1), QColor(Qt::gray));
    QCOMPARE(holder.getWidth(), 0);

    QSignalSpy widths(&holder, &ImageHolder::widthChanged);
    QSignalSpy heights(&holder, &ImageHolder::heightChanged);
    QSignalSpy images(&holder, &ImageHolder::imageChanged);
    holder.setImage(solid(640, 480, Qt::blue));
    QCOMPARE(widths.count(), 1);
    QCOMPARE(widths.last().first().toInt(), 640);
    QCOMPARE(heights.last().first().toInt(), 480);
    QCOMPARE(images.count(), 1);

    holder.setImage(solid(640, 480, Qt::green));
    QCOMPARE(widths.count(), 1);
    QCOMPARE(heights.count(), 1);
    QCOMPARE(images.count(), 2);

    holder.setEmptyImage(Qt::red);
    QCOMPARE(holder.getImage().size(), QSize(10, 10));
    QCOMPARE(holder.getImage().format(), QImage::Format_RGBA8888);
    QCOMPARE(holder.getWidth(), 10);

    holder.setPixmap(QPixmap::fromImage(solid(20, 30, Qt::yellow)));
    QCOMPARE(holder.getHeight(), 30);

    // The numbers alone can be set without touching the image.
    holder.setWidth(99);
    QCOMPARE(widths.last().first().toInt(), 99);
    QCOMPARE(holder.getImage().width(), 20);
}

void TestImageHolder::holderKeepsItsOwnCopy()
{
    ImageHolder holder;
    QImage source = solid(4, 4, Qt::blue);
    holder.setImage(source);
    source.fill(Qt::red);
    QCOMPARE(holder.getImage().pixelColor(0, 0), QColor(Qt::blue));
}

void TestImageHolder::viewerFitsAndAligns()
{
    QCOMPARE(ImageHolderViewer::fittedRect(QSize(640, 480), QSize(400, 400), Qt::AlignCenter), QRect(0, 50, 400, 300));
    QCOMPARE(ImageHolderViewer::fittedRect(QSize(640, 480), QSize(400, 400), Qt::AlignBottom), QRect(0, 100, 400, 300));
    QCOMPARE(ImageHolderViewer::fittedRect(QSize(640, 480), QSize(400, 400), Qt::AlignTop), QRect(0, 0, 400, 300));
    QCOMPARE(ImageHolderViewer::fittedRect(QSize(100, 400), QSize(400, 400), Qt::AlignRight), QRect(300, 0, 100, 400));
    // The viewer scales both sides by one factor, so 29 x 8.379... falls a pixel short of the
    // height; the image widget gives the fitted side the widget's own length.
    QCOMPARE(ImageHolderViewer::fittedRect(QSize(1, 29), QSize(27, 243), Qt::AlignCenter), QRect(9, 0, 8, 242));
    QCOMPARE(ImageHolderViewer::fittedRect(QSize(1, 29), QSize(27, 243), Qt::AlignBottom), QRect(9, 0, 8, 242));
    QCOMPARE(ImageWidget::fittedRect(QSize(1, 29), QSize(27, 243)), QRect(9, 0, 8, 243));

    ImageHolder holder;
    holder.setImage(solid(640, 480, Qt::blue));
    ImageHolderViewer viewer;
    viewer.resize(400, 400);
    viewer.setImageHolder(&holder);
    QCOMPARE(renderViewer(viewer), QRect(0, 50, 400, 300));
    viewer.setImageAlignment(Qt::AlignBottom);
    QCOMPARE(renderViewer(viewer), QRect(0, 100, 400, 300));

    // The image fills that rectangle and nothing else.
    QImage shown(400, 400, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    viewer.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(shown.pixelColor(0, 100), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(399, 399), QColor(Qt::blue));
    QCOMPARE(shown.pixelColor(200, 99).alpha(), 0);
}

void TestImageHolder::viewerWithoutHolderShowsBlackFourByThree()
{
    ImageHolderViewer viewer;
    viewer.resize(400, 400);
    QImage target(400, 400, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    viewer.render(&target);
    QCOMPARE(target.pixelColor(200, 200), QColor(Qt::black));
    QCOMPARE(renderViewer(viewer), QRect(0, 50, 400, 300));
}

void TestImageHolder::viewerSkipsEmptyImages()
{
    ImageHolder holder;
    holder.setImage(QImage());
    ImageHolderViewer viewer;
    viewer.resize(100, 100);
    viewer.setImageHolder(&holder);
    QCOMPARE(renderViewer(viewer), QRect());

    // A holder destroyed before its viewer leaves the viewer painting its placeholder.
    auto* shortLived = new ImageHolder;
    viewer.setImageHolder(shortLived);
    delete shortLived;
    QCOMPARE(viewer.getImageHolder(), nullptr);
    QCOMPARE(renderViewer(viewer), QRect(0, 12, 100, 75));
}

void TestImageHolder::viewerFollowsHolderOnlyWhileShownAndViewing()
{
    WatchedHolder holder;
    ImageHolderViewer viewer;
    // Small: Qt spreads large scaled fills over its thread pool, whose hand-overs
    // ThreadSanitizer cannot see in the uninstrumented library.
    viewer.resize(64, 48);
    QSignalSpy holderChanges(&viewer, &ImageHolderViewer::imageHolderChanged);
    viewer.setImageHolder(&holder);
    QCOMPARE(holderChanges.count(), 1);
    QCOMPARE(holder.watchers(), 0);

    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(holder.watchers(), 1);
    viewer.hide();
    QCOMPARE(holder.watchers(), 0);

    viewer.setIsViewing(false);
    viewer.show();
    QCOMPARE(holder.watchers(), 0);
    viewer.setIsViewing(true);
    QCOMPARE(holder.watchers(), 0); // until the next reconnection
    viewer.reconnectToImageHolder();
    QCOMPARE(holder.watchers(), 1);
    viewer.reconnectToImageHolder(false);
    QCOMPARE(holder.watchers(), 0);
}

void TestImageHolder::imageWidgetCentresTheImage()
{
    QCOMPARE(ImageWidget::fittedRect(QSize(200, 100), QSize(100, 100)), QRect(0, 25, 100, 50));
    QCOMPARE(ImageWidget::fittedRect(QSize(100, 200), QSize(100, 100)), QRect(25, 0, 50, 100));

    ImageWidget widget;
    widget.resize(100, 100);
    widget.setImage(solid(200, 100, Qt::red));
    QImage target(100, 100, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    widget.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(target.pixelColor(50, 50), QColor(Qt::red));
    QCOMPARE(target.pixelColor(50, 10).alpha(), 0);
    QCOMPARE(widget.getImage().size(), QSize(200, 100));
}

void TestImageHolder::contextIsAnnouncedEveryTime()
{
    CountingContextWidget widget;
    QSignalSpy contexts(&widget, &ContextableWidget::contextChanged);
    QObject first;
    widget.setContext(&first);
    widget.setContext(&first);
    QCOMPARE(widget.changes, 2);
    QCOMPARE(contexts.count(), 2);
    QCOMPARE(widget.getContext(), &first);

    auto* gone = new QObject;
    widget.setContext(gone);
    delete gone;
    QCOMPARE(widget.getContext(), nullptr);
}

QTEST_MAIN(TestImageHolder)
#include "tst_imageholder.moc"
