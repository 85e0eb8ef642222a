#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <opencv2/core.hpp>

#include <string>

// Moving images between Qt and OpenCV, and a few small OpenCV helpers.

// Grey, indexed and RGB32 images can share their bytes with the matrix (cloneImageData false);
// the matrix is then valid only as long as the image's data lives. Formats whose red and blue
// must be swapped are always copied.
cv::Mat QImageToCvMat(const QImage& image, bool cloneImageData = true);
cv::Mat QPixmapToCvMat(const QPixmap& pixmap, bool cloneImageData = true);

// One-channel and (unswapped) four-channel matrices give images over the matrix's own data,
// valid only as long as that data lives; the others give images with their own copy.
QImage cvMatToQImage(const cv::Mat& mat, bool swapFourChannels);
QPixmap cvMatToQPixmap(const cv::Mat& mat);

cv::Scalar QColorToCVScalar(const QColor& colour);
cv::Scalar cvScalarFromHex(const QString& colourName);
std::string toOpenCvString(const QString& text);

// Decodes a JPEG, PNG or BMP file in colour; read through QFile so that any path works. Other
// formats give an empty matrix and a warning.
cv::Mat imgread(const QString& path);

// Makes sure a cascade file exists at path, restoring it from the resources when missing.
bool CheckLoadCascade(const QString& path);

// Turns the matrix in place: 1 a quarter clockwise, 2 a half, 3 a quarter counter-clockwise.
void rot90(cv::Mat& mat, int flag);

void printTypes();

namespace ZTMath {
bool matIsValid(const cv::Mat& mat);
}
