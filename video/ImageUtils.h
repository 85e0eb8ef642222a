#pragma once

#include <QRect>
#include <opencv2/core.hpp>

// Regions of interest that never reach outside their matrix.
class ImageUtils
{
public:
    // Clamps roi into the matrix in place and returns the view of it; a region that ends up
    // empty (or an empty matrix) gives a 1 x 1 zero matrix of the matrix's type.
    static cv::Mat safeRoi(cv::Mat& mat, cv::Rect& roi);
    static cv::Mat safeRoi(cv::Mat& mat, QRect& roi);

    static cv::Mat extractRoi(cv::Mat& mat, QRect rect, int left, int top, int right, int bottom);
    static cv::Mat extractRoi(cv::Mat& mat, cv::Rect rect, int left, int top, int right, int bottom);
    static cv::Mat extractRoiUniform(cv::Mat& mat, QRect rect, int margin);
    static cv::Mat extractRoiUniform(cv::Mat& mat, cv::Rect rect, int margin);
};
