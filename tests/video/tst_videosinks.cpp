#include "CameraSettings.h"
#include "Clock.h"
#include "CustomVideoSink.h"
#include "MyVideoSink.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVideoFrameFormat>
#include <QtTest>

#include <cstring>

namespace {
// Every pixel of a 3 × 2 picture has its own colour.
QRgb colourAt(int x, int y)
{
    return qRgb(40 + 60 * x, 50 + 100 * y, 7);
}

QVideoFrame pictureFrame()
{
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, colourAt(x, y));
    QVideoFrame frame(
        QVideoFrameFormat(picture.size(), QVideoFrameFormat::pixelFormatFromImageFormat(picture.format())));
    if (!frame.map(QVideoFrame::WriteOnly))
        return QVideoFrame();
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(frame.bits(0) + y * frame.bytesPerLine(0), picture.constScanLine(y),
                    size_t(picture.bytesPerLine()));
    frame.unmap();
    return frame;
}
} // namespace

class TestVideoSinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The sinks work alike on every back end. GStreamer's PulseAudio device monitor keeps
        // allocations for the life of the process whose stacks the leak checker cannot unwind
        // past the library, so they escape the suppressions.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    }

    // The picture as the camera is mounted; pixel by pixel.
    void sinkMirrorsAsTheCameraIsMounted_data()
    {
        QTest::addColumn<MyVideoSink::VideoTransformationType>("transformation");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<bool>("vertical");
        QTest::newRow("none") << MyVideoSink::NoTransformation << false << false;
        QTest::newRow("half turn") << MyVideoSink::Rotate180 << true << true;
        QTest::newRow("mirrored left to right") << MyVideoSink::MirrorX << true << false;
        QTest::newRow("mirrored top to bottom") << MyVideoSink::MirrorY << false << true;
    }

    void sinkMirrorsAsTheCameraIsMounted()
    {
        QFETCH(MyVideoSink::VideoTransformationType, transformation);
        QFETCH(bool, horizontal);
        QFETCH(bool, vertical);
        MyVideoSink sink;
        QVideoSink preview;
        sink.setPreviewSink(&preview);
        sink.setTransformation(transformation);
        QSignalSpy images(&sink, &MyVideoSink::newImage);
        const QVideoFrame frame = pictureFrame();
        sink.setVideoFrame(frame);
        QCOMPARE(preview.videoFrame(), frame);
        QCOMPARE(images.size(), 1);
        const QImage image = images[0][0].value<QImage>();
        QCOMPARE(image.size(), QSize(3, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(image.pixel(horizontal ? 2 - x : x, vertical ? 1 - y : y), colourAt(x, y));
        QCOMPARE(sink.lastImage(), image);
    }

    void unmappableFrameIsForwardedButGivesNoImage()
    {
        MyVideoSink sink;
        QVideoSink preview;
        sink.setPreviewSink(&preview);
        sink.setVideoFrame(pictureFrame());
        QSignalSpy images(&sink, &MyVideoSink::newImage);
        sink.setVideoFrame(QVideoFrame());
        QVERIFY(!preview.videoFrame().isValid());
        QCOMPARE(images.size(), 0);

        CustomVideoSink plain;
        QSignalSpy plainImages(&plain, &CustomVideoSink::newImage);
        plain.setVideoFrame(QVideoFrame());
        plain.setVideoFrame(pictureFrame());
        QCOMPARE(plainImages.size(), 1);
        QCOMPARE(plain.lastImage().pixel(2, 1), colourAt(2, 1));
    }

    // 30 frames/s for 10 s: with a clock, 12 a second and two of slack are handled; without
    // one, the fixed limit and two of slack in all.
    void rateLimitDropsFramesBeyondIt_data()
    {
        QTest::addColumn<bool>("withClock");
        QTest::addColumn<int>("fixedLimit");
        QTest::addColumn<int>("handled");
        QTest::newRow("clock") << true << 0 << 122;
        QTest::newRow("fixed limit of 5") << false << 5 << 7;
        QTest::newRow("no limit") << false << 0 << 301;
    }

    void rateLimitDropsFramesBeyondIt()
    {
        QFETCH(bool, withClock);
        QFETCH(int, fixedLimit);
        QFETCH(int, handled);
        ManualClock clock;
        MyVideoSink sink;
        QVideoSink preview;
        sink.setPreviewSink(&preview);
        sink.setFixedRateLimit(fixedLimit);
        if (withClock)
            sink.setRateClock(&clock);
        QSignalSpy images(&sink, &MyVideoSink::newImage);
        QSignalSpy forwarded(&preview, &QVideoSink::videoFrameChanged);
        for (int n = 0; n <= 300; ++n) {
            clock.advance(n * 1000 / 30 - clock.monotonicMs());
            sink.setVideoFrame(pictureFrame());
        }
        QCOMPARE(images.size(), handled);
        QCOMPARE(forwarded.size(), handled);
    }

    void cameraSettingsAnnounceChangesAndRoundTrip()
    {
        QTemporaryDir folder;
        CameraSettings settings(folder.filePath("Camera.xml"), true);
        QSignalSpy rotations(&settings, &CameraSettings::changedRotation);
        QSignalSpy flips(&settings, &CameraSettings::changedFlip);
        settings.setRotation(CameraSettings::Rotate0);
        QCOMPARE(rotations.size(), 0);
        settings.setRotation(CameraSettings::Rotate270);
        settings.setFlip(CameraSettings::FlipXY);
        QCOMPARE(rotations.size(), 1);
        QCOMPARE(flips.size(), 1);

        CameraSettings loaded(folder.filePath("Camera.xml"));
        QVERIFY(loaded.reload());
        QCOMPARE(loaded.getRotation(), CameraSettings::Rotate270);
        QCOMPARE(loaded.getFlip(), CameraSettings::FlipXY);
        loaded.resetRotation();
        loaded.resetFlip();
        QCOMPARE(loaded.getRotation(), CameraSettings::Rotate0);
        QCOMPARE(loaded.getFlip(), CameraSettings::FlipNone);
    }
};

QTEST_MAIN(TestVideoSinks)
#include "tst_videosinks.moc"
