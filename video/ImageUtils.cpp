#include "ImageUtils.h"

#include <QDebug>

namespace {

cv::Rect toCvRect(const QRect& rect)
{
    return cv::Rect(rect.x(), rect.y(), rect.width(), rect.height());
}

} // namespace

cv::Mat ImageUtils::safeRoi(cv::Mat& mat, cv::Rect& roi)
{
    const cv::Mat single = cv::Mat::zeros(1, 1, mat.type());
    if (mat.cols < 1 || mat.rows < 1 || !mat.data || mat.total() == 0)
        return single;
    roi.x = qMax(roi.x, 0);
    roi.y = qMax(roi.y, 0);
    // Widened arithmetic: a huge width must not wrap around past the edge test.
    if (qint64(roi.x) + roi.width > mat.cols)
        roi.width = mat.cols - roi.x;
    if (qint64(roi.y) + roi.height > mat.rows)
        roi.height = mat.rows - roi.y;
    if (roi.width < 1 || roi.height < 1) {
        qDebug() << "Totally bad mat";
        return single;
    }
    return mat(roi);
}

cv::Mat ImageUtils::safeRoi(cv::Mat& mat, QRect& roi)
{
    cv::Rect rect = toCvRect(roi);
    const cv::Mat result = safeRoi(mat, rect);
    roi = QRect(rect.x, rect.y, rect.width, rect.height);
    return result;
}

cv::Mat ImageUtils::extractRoi(cv::Mat& mat, QRect rect, int left, int top, int right, int bottom)
{
    return extractRoi(mat, toCvRect(rect), left, top, right, bottom);
}

cv::Mat ImageUtils::extractRoi(cv::Mat& mat, cv::Rect rect, int left, int top, int right, int bottom)
{
    cv::Rect roi(rect.x - left, rect.y - top, rect.width + left + right, rect.height + top + bottom);
    roi.x = qMax(roi.x, 0);
    roi.y = qMax(roi.y, 0);
    // One less than what would fit, as the regions have always been cut.
    if (qint64(roi.x) + roi.width > mat.cols)
        roi.width = mat.cols - roi.x - 1;
    if (qint64(roi.y) + roi.height > mat.rows)
        roi.height = mat.rows - roi.y - 1;
    return safeRoi(mat, roi);
}

cv::Mat ImageUtils::extractRoiUniform(cv::Mat& mat, QRect rect, int margin)
{
    return extractRoi(mat, rect, margin, margin, margin, margin);
}

cv::Mat ImageUtils::extractRoiUniform(cv::Mat& mat, cv::Rect rect, int margin)
{
    return extractRoi(mat, rect, margin, margin, margin, margin);
}
