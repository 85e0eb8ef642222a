#include "CvConversions.h"
#include "ImageUtilities.h"
#include "ImageUtils.h"
#include "OpenFieldFrames.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <opencv2/imgproc.hpp>

namespace {

// Every pixel different, so a swapped or shifted channel shows.
QImage patterned(QImage::Format format, int width = 7, int height = 5)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor(10 + 30 * x, 20 + 40 * y, 200 - 9 * x - 7 * y, 255));
    return image.convertToFormat(format);
}

// A small grey PNG whose header is rewritten to claim the given size (checksum mended), as a
// hostile or damaged file may.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QImage image(8, 8, QImage::Format_Grayscale8);
    image.fill(128);
    QByteArray png;
    QBuffer buffer(&png);
    image.save(&buffer, "PNG");
    QDataStream header(&png, QIODevice::ReadWrite);
    header.device()->seek(16);
    header << width << height;
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : png.mid(12, 17)) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    header.device()->seek(29);
    header << ~crc;
    return png;
}

QStringList captured;

void capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    captured.append(message);
}

} // namespace

class TestCvConversions : public QObject
{
    Q_OBJECT

private slots:
    void greyAndIndexedShareOrCopy();
    void formatsRoundTrip_data();
    void formatsRoundTrip();
    void threeChannelMatrixStartsWithBlue();
    void unhandledFormatsAndTypes();
    void readsRealFramesAndAnyPath();
    void refusesMissingEmptyAndGarbageFiles();
    void decodesOnlyJpegPngAndBmp();
    void safeRoiClampsOrRefuses();
    void extractRoiWidensAndClamps();
    void smallHelpers();
    void rotatesInQuarterTurns();
    void cascadeFromFileOrNothing();
};

void TestCvConversions::greyAndIndexedShareOrCopy()
{
    QImage grey = patterned(QImage::Format_Grayscale8);
    const cv::Mat shared = QImageToCvMat(grey, false);
    QCOMPARE(shared.type(), CV_8UC1);
    QCOMPARE(shared.data, grey.constBits());
    QCOMPARE(int(shared.step), int(grey.bytesPerLine()));
    const cv::Mat copied = QImageToCvMat(grey, true);
    QVERIFY(copied.data != grey.constBits());
    QCOMPARE(copied.at<uchar>(4, 6), grey.constScanLine(4)[6]);

    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorCount(256);
    for (int i = 0; i < 256; ++i)
        indexed.setColor(i, qRgb(i, i, i));
    indexed.fill(42);
    const cv::Mat fromIndexed = QImageToCvMat(indexed);
    QCOMPARE(fromIndexed.type(), CV_8UC1);
    QCOMPARE(fromIndexed.at<uchar>(1, 2), uchar(42));
}

void TestCvConversions::formatsRoundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("matType");
    QTest::addColumn<bool>("swapFourChannels");
    QTest::addColumn<int>("backFormat");
    QTest::newRow("Grayscale8") << int(QImage::Format_Grayscale8) << CV_8UC1 << false << int(QImage::Format_Grayscale8);
    QTest::newRow("RGB32") << int(QImage::Format_RGB32) << CV_8UC4 << false << int(QImage::Format_RGB32);
    QTest::newRow("RGB888") << int(QImage::Format_RGB888) << CV_8UC3 << false << int(QImage::Format_RGB888);
    QTest::newRow("RGBA8888") << int(QImage::Format_RGBA8888) << CV_8UC4 << true << int(QImage::Format_RGBA8888);
    QTest::newRow("RGBA8888_Premultiplied")
        << int(QImage::Format_RGBA8888_Premultiplied) << CV_8UC4 << true << int(QImage::Format_RGBA8888);
}

void TestCvConversions::formatsRoundTrip()
{
    QFETCH(int, format);
    QFETCH(int, matType);
    QFETCH(bool, swapFourChannels);
    QFETCH(int, backFormat);
    const QImage image = patterned(QImage::Format(format));
    const cv::Mat mat = QImageToCvMat(image);
    QCOMPARE(mat.type(), matType);
    QCOMPARE(mat.cols, image.width());
    QCOMPARE(mat.rows, image.height());
    const QImage back = cvMatToQImage(mat, swapFourChannels).copy();
    QCOMPARE(int(back.format()), backFormat);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(back.pixelColor(x, y), image.pixelColor(x, y));
}

void TestCvConversions::threeChannelMatrixStartsWithBlue()
{
    const QImage image = patterned(QImage::Format_RGB888);
    const cv::Mat mat = QImageToCvMat(image);
    QCOMPARE(int(mat.data[0]), image.pixelColor(0, 0).blue());
    QCOMPARE(int(mat.data[2]), image.pixelColor(0, 0).red());

    // The four-channel order, too: an RGBA image gives blue, green, red, alpha.
    const cv::Mat bgra = QImageToCvMat(patterned(QImage::Format_RGBA8888));
    QCOMPARE(bgra.at<cv::Vec4b>(0, 0), cv::Vec4b(200, 20, 10, 255));

    // A matrix made by OpenCV itself reads back with the right colours.
    cv::Mat drawn(4, 4, CV_8UC3, cv::Scalar(255, 0, 0)); // blue in OpenCV's order
    QCOMPARE(cvMatToQImage(drawn, false).pixelColor(3, 3), QColor(0, 0, 255));
    QCOMPARE(cvMatToQPixmap(drawn).size(), QSize(4, 4));
    QCOMPARE(QPixmapToCvMat(QPixmap::fromImage(patterned(QImage::Format_RGB32))).type(), CV_8UC4);
}

void TestCvConversions::unhandledFormatsAndTypes()
{
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^CVX::QImageToCvMat\\(\\) - QImage format not handled in switch:"));
    QVERIFY(QImageToCvMat(QImage(4, 4, QImage::Format_Mono)).empty());

    QTest::ignoreMessage(QtWarningMsg,
                         "CVX::QImageToCvMat() - Conversion requires cloning since we use a temporary QImage");
    const cv::Mat cloned = QImageToCvMat(patterned(QImage::Format_RGB888), false);
    QCOMPARE(cloned.type(), CV_8UC3);

    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression("^CVX::cvMatToQImage\\(\\) - cv::Mat image type not handled in switch: 5$"));
    QVERIFY(cvMatToQImage(cv::Mat(3, 3, CV_32FC1), false).isNull());
}

void TestCvConversions::readsRealFramesAndAnyPath()
{
    const QString path = openFieldFolder() + "frames/img0003.png";
    QVERIFY(QFile::exists(path));
    // Compared by colour in the reader's own format: converting a whole frame would hand it to
    // Qt's thread pool, whose hand-overs ThreadSanitizer cannot see.
    const QImage reference(path);

    QTemporaryDir folder;
    const QString unusual = folder.filePath("кадр №1 (копия).png");
    QVERIFY(QFile::copy(path, unusual));
    const cv::Mat mat = imgread(unusual);
    QCOMPARE(mat.type(), CV_8UC3);
    QCOMPARE(mat.cols, 640);
    QCOMPARE(mat.rows, 480);
    QVERIFY(ZTMath::matIsValid(mat));

    const QImage back = cvMatToQImage(mat, false);
    QCOMPARE(back.size(), reference.size());
    for (int y = 0; y < 480; y += 37)
        for (int x = 0; x < 640; x += 41)
            QCOMPARE(back.pixelColor(x, y), reference.pixelColor(x, y));

    // And back into OpenCV unchanged, and on through grey.
    const cv::Mat again = QImageToCvMat(back);
    QCOMPARE(again.type(), CV_8UC3);
    QCOMPARE(cv::norm(again, mat, cv::NORM_INF), 0.0);
    cv::Mat grey;
    cv::cvtColor(again, grey, cv::COLOR_BGR2GRAY);
    QCOMPARE(cvMatToQImage(grey, false).format(), QImage::Format_Grayscale8);
}

void TestCvConversions::refusesMissingEmptyAndGarbageFiles()
{
    QTemporaryDir folder;
    QVERIFY(imgread(folder.filePath("missing.png")).empty());

    QFile empty(folder.filePath("empty.png"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QVERIFY(imgread(empty.fileName()).empty());

    QFile garbage(folder.filePath("garbage.jpg"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("\x89PNG\r\n\x1a\n this is not an image", 30));
    garbage.close();
    QVERIFY(imgread(garbage.fileName()).empty());

    // A few hundred bytes that claim 30000 x 30000 pixels must not make the decoder take gigabytes.
    QVERIFY(writeFileBytes(folder.filePath("huge.png"), pngClaiming(30000, 30000)));
    QVERIFY(imgread(folder.filePath("huge.png")).empty());
    QVERIFY(patterned(QImage::Format_RGB32, 640, 480).save(folder.filePath("fair.png")));
    QCOMPARE(imgread(folder.filePath("fair.png")).cols, 640);
}

void TestCvConversions::decodesOnlyJpegPngAndBmp()
{
    QTemporaryDir folder;
    const QImage image = patterned(QImage::Format_RGB32, 64, 48);
    // Known by their bytes, whatever the name says.
    for (const char* format : {"JPEG", "PNG", "BMP"}) {
        const QString path = folder.filePath(QStringLiteral("%1.picture").arg(format));
        QVERIFY(image.save(path, format));
        const cv::Mat mat = imgread(path);
        QCOMPARE(mat.type(), CV_8UC3);
        QCOMPARE(mat.cols, 64);
        QCOMPARE(mat.rows, 48);
        const cv::Vec3b corner = mat.at<cv::Vec3b>(47, 63);
        const QColor expected = image.pixelColor(63, 47);
        QVERIFY2(qAbs(corner[0] - expected.blue()) + qAbs(corner[1] - expected.green())
                         + qAbs(corner[2] - expected.red())
                     < 40,
                 format);
    }

    // Formats OpenCV could decode are refused before any decoder sees them, among them this
    // crafted file that made one of them abort the process.
    QByteArray crafted = QByteArray::fromHex("762F7101");
    crafted.append(4096, '\x56');
    QVERIFY(writeFileBytes(folder.filePath("crafted.png"), crafted));
    QVERIFY(image.save(folder.filePath("picture.ppm"), "PPM"));
    for (const char* name : {"crafted.png", "picture.ppm"}) {
        const QString path = folder.filePath(name);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^Image format not supported .*" + QRegularExpression::escape(name)));
        QVERIFY(imgread(path).empty());
    }
    // A bitmap whose header cannot be made out, and whose decoder would take it to mean
    // 14612 x 65597 pixels: refused before anything is allocated for it.
    const QByteArray garbled =
        QByteArray::fromBase64("Qk1CTU0ATUIAewAAAQAAAAAUFDkAAD0AAQAAFBAAAAAAAAAAAAAAAAAeAAAAAAAAAAA=");
    QVERIFY(writeFileBytes(folder.filePath("garbled.bmp"), garbled));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Image header unreadable .*garbled\\.bmp"));
    QVERIFY(imgread(folder.filePath("garbled.bmp")).empty());
}

void TestCvConversions::safeRoiClampsOrRefuses()
{
    cv::Mat mat(100, 100, CV_8UC1, cv::Scalar(3));
    cv::Rect roi(-10, -10, 50, 50);
    const cv::Mat view = ImageUtils::safeRoi(mat, roi);
    QCOMPARE(roi, cv::Rect(0, 0, 50, 50));
    QCOMPARE(view.cols, 50);
    QCOMPARE(view.data, mat.data);

    cv::Rect past(120, 0, 10, 10);
    QTest::ignoreMessage(QtDebugMsg, "Totally bad mat");
    const cv::Mat bad = ImageUtils::safeRoi(mat, past);
    QCOMPARE(bad.cols, 1);
    QCOMPARE(bad.rows, 1);
    QCOMPARE(bad.at<uchar>(0, 0), uchar(0));

    QRect edge(90, 95, 20, 20);
    const cv::Mat clipped = ImageUtils::safeRoi(mat, edge);
    QCOMPARE(edge, QRect(90, 95, 10, 5));
    QCOMPARE(clipped.cols, 10);
    QCOMPARE(clipped.rows, 5);

    cv::Mat none;
    cv::Rect any(0, 0, 5, 5);
    QCOMPARE(ImageUtils::safeRoi(none, any).total(), size_t(1));

    cv::Rect huge(50, 50, INT_MAX, INT_MAX);
    QCOMPARE(ImageUtils::safeRoi(mat, huge).cols, 50);
}

void TestCvConversions::extractRoiWidensAndClamps()
{
    cv::Mat mat(100, 100, CV_8UC3, cv::Scalar(1, 2, 3));
    const cv::Mat corner = ImageUtils::extractRoiUniform(mat, QRect(90, 90, 5, 5), 10);
    QCOMPARE(corner.cols, 19);
    QCOMPARE(corner.rows, 19);
    QCOMPARE(corner.data, mat.ptr(80, 80));

    const cv::Mat inside = ImageUtils::extractRoi(mat, cv::Rect(20, 30, 10, 10), 1, 2, 3, 4);
    QCOMPARE(inside.cols, 14);
    QCOMPARE(inside.rows, 16);
    QCOMPARE(inside.data, mat.ptr(28, 19));

    const cv::Mat topLeft = ImageUtils::extractRoiUniform(mat, cv::Rect(2, 2, 5, 5), 5);
    QCOMPARE(topLeft.data, mat.ptr(0, 0));
    QCOMPARE(topLeft.cols, 15);
}

void TestCvConversions::smallHelpers()
{
    QCOMPARE(QColorToCVScalar(QColor(10, 20, 30, 40)), cv::Scalar(30, 20, 10, 0));
    QCOMPARE(cvScalarFromHex("#102030"), cv::Scalar(0x30, 0x20, 0x10, 0));
    QCOMPARE(toOpenCvString(QString::fromUtf8("Мышь 1")), std::string("\xd0\x9c\xd1\x8b\xd1\x88\xd1\x8c 1"));

    QVERIFY(ZTMath::matIsValid(cv::Mat(1, 9999, CV_8UC1)));
    QVERIFY(!ZTMath::matIsValid(cv::Mat(1, 10000, CV_8UC1)));
    QVERIFY(!ZTMath::matIsValid(cv::Mat()));

    const QImage clean = ImageUtilities::cleanImage(4, 3, Qt::red, QImage::Format_RGB888);
    QCOMPARE(clean.size(), QSize(4, 3));
    QCOMPARE(clean.format(), QImage::Format_RGB888);
    QCOMPARE(clean.pixelColor(3, 2), QColor(Qt::red));
    QVERIFY(ImageUtilities::cleanImage(0, 3, Qt::red, QImage::Format_RGB888).isNull());

    captured.clear();
    const QtMessageHandler previous = qInstallMessageHandler(capture);
    printTypes();
    qInstallMessageHandler(previous);
    QCOMPARE(captured.size(), 28);
    QCOMPARE(captured.first(), QString("CV_8UC4  %1").arg(CV_8UC4));
    QCOMPARE(captured.last(), QString("CV_64FC1  %1").arg(CV_64FC1));
}

void TestCvConversions::rotatesInQuarterTurns()
{
    // 1 2 3
    // 4 5 6
    const cv::Mat original = (cv::Mat_<uchar>(2, 3) << 1, 2, 3, 4, 5, 6);
    const auto rotated = [&](int flag) {
        cv::Mat mat = original.clone();
        rot90(mat, flag);
        return mat;
    };
    const auto same = [](const cv::Mat& a, const cv::Mat& b) {
        return a.size() == b.size() && cv::countNonZero(a != b) == 0;
    };
    QVERIFY(same(rotated(1), (cv::Mat_<uchar>(3, 2) << 4, 1, 5, 2, 6, 3)));
    QVERIFY(same(rotated(2), (cv::Mat_<uchar>(2, 3) << 6, 5, 4, 3, 2, 1)));
    QVERIFY(same(rotated(3), (cv::Mat_<uchar>(3, 2) << 3, 6, 2, 5, 1, 4)));
    QVERIFY(same(rotated(0), original));
}

void TestCvConversions::cascadeFromFileOrNothing()
{
    QTemporaryDir folder;
    const QString present = folder.filePath("present.xml");
    QFile file(present);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<cascade/>");
    file.close();
    QVERIFY(CheckLoadCascade(present));

    const QString absent = folder.filePath("haarcascade_nowhere.xml");
    QVERIFY(!CheckLoadCascade(absent));
    QVERIFY(!QFile::exists(absent));
}

QTEST_MAIN(TestCvConversions)
#include "tst_cvconversions.moc"
