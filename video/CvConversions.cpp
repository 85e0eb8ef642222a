#include "CvConversions.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <opencv2/imgcodecs.hpp>

#include <vector>

namespace {

// Far beyond any camera frame or background; a file that claims more is refused before a
// decoder allocates gigabytes for it.
constexpr qint64 maxImagePixels = 8192LL * 8192LL;

// The size the file's header claims, read without decoding; invalid when the header cannot be
// made out, in which case a decoder would have to guess what to allocate.
QSize claimedSize(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return QImageReader(&buffer).size();
}

// The formats the program reads, told by their first bytes. OpenCV would otherwise offer the
// bytes to every decoder it was built with, some of which end the process on a malformed file.
bool hasReadableSignature(const QByteArray& bytes)
{
    static const QByteArray signatures[] = {QByteArray::fromHex("FFD8FF"), QByteArray::fromHex("89504E470D0A1A0A"),
                                            QByteArrayLiteral("BM")};
    for (const QByteArray& signature : signatures) {
        if (bytes.startsWith(signature))
            return true;
    }
    return false;
}

cv::Mat wrapImage(const QImage& image, int type)
{
    return cv::Mat(image.height(), image.width(), type, const_cast<uchar*>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

cv::Mat swappedCopy(const QImage& image, int type, bool cloneImageData)
{
    if (!cloneImageData)
        qWarning() << "CVX::QImageToCvMat() - Conversion requires cloning since we use a temporary QImage";
    const QImage swapped = image.rgbSwapped();
    return wrapImage(swapped, type).clone();
}

} // namespace

cv::Mat QImageToCvMat(const QImage& image, bool cloneImageData)
{
    switch (image.format()) {
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8: {
        const cv::Mat mat = wrapImage(image, CV_8UC1);
        return cloneImageData ? mat.clone() : mat;
    }
    case QImage::Format_RGB32: {
        const cv::Mat mat = wrapImage(image, CV_8UC4);
        return cloneImageData ? mat.clone() : mat;
    }
    case QImage::Format_RGB888:
        return swappedCopy(image, CV_8UC3, cloneImageData);
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return swappedCopy(image, CV_8UC4, cloneImageData);
    default:
        qWarning() << "CVX::QImageToCvMat() - QImage format not handled in switch:" << image.format();
        return cv::Mat();
    }
}

cv::Mat QPixmapToCvMat(const QPixmap& pixmap, bool cloneImageData)
{
    return QImageToCvMat(pixmap.toImage(), cloneImageData);
}

QImage cvMatToQImage(const cv::Mat& mat, bool swapFourChannels)
{
    const auto wrap = [&](QImage::Format format) {
        return QImage(mat.data, mat.cols, mat.rows, qsizetype(mat.step), format);
    };
    switch (mat.type()) {
    case CV_8UC1:
        return wrap(QImage::Format_Grayscale8);
    case CV_8UC3: {
        const QImage image = wrap(QImage::Format_RGB888);
        if (image.isNull()) {
            QImage blank(mat.cols, mat.rows, QImage::Format_RGB888);
            blank.fill(Qt::black);
            return blank;
        }
        return image.rgbSwapped();
    }
    case CV_8UC4:
        if (!swapFourChannels)
            return wrap(QImage::Format_RGB32);
        return wrap(QImage::Format_RGBA8888).rgbSwapped();
    default:
        qWarning() << "CVX::cvMatToQImage() - cv::Mat image type not handled in switch:" << mat.type();
        return QImage();
    }
}

QPixmap cvMatToQPixmap(const cv::Mat& mat)
{
    return QPixmap::fromImage(cvMatToQImage(mat, false));
}

cv::Scalar QColorToCVScalar(const QColor& colour)
{
    return cv::Scalar(colour.blue(), colour.green(), colour.red(), 0);
}

cv::Scalar cvScalarFromHex(const QString& colourName)
{
    return QColorToCVScalar(QColor(colourName));
}

std::string toOpenCvString(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

cv::Mat imgread(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return cv::Mat();
    const QByteArray bytes = file.readAll();
    // The decoder refuses an empty buffer with an exception rather than an empty result.
    if (bytes.isEmpty())
        return cv::Mat();
    if (!hasReadableSignature(bytes)) {
        qWarning() << "Image format not supported (JPEG, PNG or BMP expected)" << path;
        return cv::Mat();
    }
    const QSize size = claimedSize(bytes);
    if (!size.isValid()) {
        qWarning() << "Image header unreadable" << path;
        return cv::Mat();
    }
    if (qint64(size.width()) * size.height() > maxImagePixels) {
        qWarning() << "Image too large to read" << path;
        return cv::Mat();
    }
    const std::vector<uchar> buffer(bytes.begin(), bytes.end());
    try {
        return cv::imdecode(buffer, cv::IMREAD_COLOR);
    } catch (const cv::Exception& error) {
        qWarning() << "Cannot decode image" << path << error.what();
        return cv::Mat();
    }
}

bool CheckLoadCascade(const QString& path)
{
    qDebug() << "Asking for cascade" << path;
    if (QFile::exists(path)) {
        qDebug() << "Cascade already exists" << path;
        return true;
    }
    const QString resourcePath = ":/resources/" + QFileInfo(path).fileName();
    qDebug().nospace().noquote() << "Looking for '" << path << "' in resources " << resourcePath;
    QFile resource(resourcePath);
    if (resource.open(QIODevice::ReadOnly)) {
        qDebug().nospace().noquote() << "Found '" << path << "' in resources!";
        resource.close();
        QFile::copy(resourcePath, path);
    }
    const bool exists = QFile::exists(path);
    qDebug() << "Cascade exists?" << exists;
    return exists;
}

void rot90(cv::Mat& mat, int flag)
{
    switch (flag) {
    case 1:
        cv::transpose(mat, mat);
        cv::flip(mat, mat, 1);
        break;
    case 2:
        cv::flip(mat, mat, -1);
        break;
    case 3:
        cv::transpose(mat, mat);
        cv::flip(mat, mat, 0);
        break;
    default:
        break;
    }
}

void printTypes()
{
    const std::pair<const char*, int> depths[] = {{"8U", CV_8U},   {"8S", CV_8S},   {"16U", CV_16U}, {"16S", CV_16S},
                                                  {"32S", CV_32S}, {"32F", CV_32F}, {"64F", CV_64F}};
    for (const auto& [name, depth] : depths)
        for (int channels = 4; channels >= 1; --channels)
            qDebug().noquote() << QString("CV_%1C%2 ").arg(name).arg(channels) << CV_MAKETYPE(depth, channels);
}

namespace ZTMath {

bool matIsValid(const cv::Mat& mat)
{
    return mat.cols >= 1 && mat.cols < 10000 && mat.rows >= 1 && mat.rows < 10000;
}

} // namespace ZTMath
