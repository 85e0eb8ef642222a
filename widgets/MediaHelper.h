#pragma once

#include <QIcon>
#include <QImage>
#include <QMap>
#include <QString>

// Icons from resources, and monochrome SVG icons recoloured at run time. The toolkit draws its
// SVG icons in #303030; a caller asks for the same file with that colour (or others) replaced.
// Every icon made here is kept for the rest of the process, so each path in each colouring is
// read and rasterised once. "qrc:/..." and ":/..." name the same resource and the same entry.
// User-interface thread only.
class MediaHelper
{
public:
    // From colour (as written in the SVG) to its replacement; an empty key stands for #303030.
    using ColorMap = QMap<QString, QString>;

    static QIcon icon(QString path);
    static QIcon iconColored(const QString& path, const QString& to, const QString& from = QString());
    static QIcon iconColored(QString path, const ColorMap& colors);
    // The recoloured icon with a text drawn over it in the same colour; sizes and margins are in
    // percent of the image.
    static QIcon iconColoredWithText(QString path, const QString& color, const QString& text, double textSizePercent,
                                     bool bold, Qt::Alignment alignment, double marginXPercent, double marginYPercent,
                                     const QString& from = QString());

    // The SVG text with the colours replaced in one pass, so that a replacement is never
    // replaced again, and the root element filled with the first entry's colour (shapes that
    // carry no fill of their own take that one). Empty when the file cannot be read.
    static QString recolorSVG(const QString& path, const QString& to, const QString& from = QString());
    static QString recolorSVG(QString path, const ColorMap& colors);
    // The recoloured SVG rendered at its own size; a null image when it cannot be read.
    static QImage svgColored(const QString& path, const QString& to, const QString& from = QString());
    static QImage svgColored(const QString& path, const ColorMap& colors);

private:
    static QString resourcePath(QString path);
};
