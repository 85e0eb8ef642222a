// Reads arbitrary bytes laid down as an image file, as a damaged or foreign picture on disk
// would be. Reading must neither crash nor misbehave: a file that does not decode gives an empty
// matrix, and a decoded one is a colour picture of sane size that converts to a QImage with the
// same pixels and to a grey matrix of the detector with the same size.
#include "CvConversions.h"
#include "FuzzScratch.h"
#include "UCharMat.h"

#include <QSize>
#include <opencv2/core/utils/logger.hpp>

#include <cstdint>
#include <cstdlib>

namespace {

// What the decoders are allowed to produce at most.
constexpr qint64 maxPixels = qint64(1) << 30;

bool saneMatrix(const cv::Mat& picture)
{
    return picture.dims == 2 && picture.type() == CV_8UC3 && picture.rows >= 1 && picture.cols >= 1
           && qint64(picture.rows) * picture.cols <= maxPixels && picture.step[0] >= size_t(picture.cols) * 3;
}

bool samePixel(const cv::Mat& picture, const QImage& image, int x, int y)
{
    const cv::Vec3b bgr = picture.at<cv::Vec3b>(y, x);
    return image.pixelColor(x, y) == QColor(bgr[2], bgr[1], bgr[0]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
        return true;
    }();
    Q_UNUSED(quiet);

    const cv::Mat picture = imgread(fuzzInputFile(QStringLiteral("picture"), data, size));
    if (picture.empty())
        return 0;
    if (!saneMatrix(picture))
        std::abort();
    const QImage image = cvMatToQImage(picture, false);
    if (image.size() != QSize(picture.cols, picture.rows) || image.format() != QImage::Format_RGB888
        || !samePixel(picture, image, 0, 0) || !samePixel(picture, image, picture.cols - 1, picture.rows - 1))
        std::abort();
    const UCharMat grey = UCharMat::fromQImage(image, 0, 0);
    if (grey.width != image.width() || grey.height != image.height()
        || grey.data.size() != qsizetype(grey.width) * grey.height)
        std::abort();
    return 0;
}
