#include "MediaHelper.h"

#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QStringList>
#include <QTextOption>

#include <algorithm>

namespace {

const QString DrawnColour = QStringLiteral("#303030");
const QString ResourceUrlScheme = QStringLiteral("qrc:/");

QMap<QString, QIcon>& iconCache()
{
    static QMap<QString, QIcon> icons;
    return icons;
}

QString fillAttribute(const QString& colour)
{
    return QStringLiteral("fill=\"") + colour + QLatin1Char('"');
}

// The root element's own fill attribute is rewritten; without one, the root gets one.
void fillRoot(QString& svg, const QString& colour)
{
    const qsizetype root = svg.indexOf(QLatin1String("<svg"));
    const qsizetype rootEnd = root < 0 ? -1 : svg.indexOf(QLatin1Char('>'), root);
    if (rootEnd < 0)
        return;
    static const QRegularExpression fill(QStringLiteral("fill=\"[^\"]*\""));
    const QRegularExpressionMatch match = fill.match(svg, root);
    if (match.hasMatch() && match.capturedStart() < rootEnd)
        svg.replace(match.capturedStart(), match.capturedLength(), fillAttribute(colour));
    else
        svg.insert(rootEnd, QLatin1Char(' ') + fillAttribute(colour));
}

// An empty key means the drawn colour; of two keys naming one colour the first in key order wins.
MediaHelper::ColorMap withDrawnColour(const MediaHelper::ColorMap& colors)
{
    MediaHelper::ColorMap result;
    for (auto it = colors.cbegin(); it != colors.cend(); ++it) {
        const QString from = it.key().isEmpty() ? DrawnColour : it.key();
        if (!result.contains(from))
            result.insert(from, it.value());
    }
    return result;
}

// Every colour is replaced where it stands in the original text, in one pass: a colour that
// another entry's replacement happens to produce stays as produced.
QString replaceColours(const QString& svg, const MediaHelper::ColorMap& colors)
{
    QStringList froms = colors.keys();
    // The longest first, so that "#303030" is not taken for "#303" followed by "030".
    std::sort(froms.begin(), froms.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    QStringList alternatives;
    for (const QString& from : std::as_const(froms))
        alternatives.append(QRegularExpression::escape(from));
    const QRegularExpression anyColour(alternatives.join(QLatin1Char('|')));
    QString result;
    qsizetype copied = 0;
    for (QRegularExpressionMatchIterator it = anyColour.globalMatch(svg); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(svg).mid(copied, match.capturedStart() - copied);
        result += colors.value(match.captured());
        copied = match.capturedEnd();
    }
    result += QStringView(svg).mid(copied);
    return result;
}

QIcon cached(const QString& key, const QImage& image)
{
    const QIcon icon(QPixmap::fromImage(image));
    iconCache().insert(key, icon);
    return icon;
}

} // namespace

QString MediaHelper::resourcePath(QString path)
{
    if (path.startsWith(ResourceUrlScheme))
        path.replace(0, ResourceUrlScheme.size(), QStringLiteral(":/"));
    return path;
}

QIcon MediaHelper::icon(QString path)
{
    path = resourcePath(path);
    auto it = iconCache().constFind(path);
    if (it == iconCache().constEnd())
        it = iconCache().insert(path, QIcon(path));
    return *it;
}

QIcon MediaHelper::iconColored(const QString& path, const QString& to, const QString& from)
{
    return iconColored(path, ColorMap{{from, to}});
}

QIcon MediaHelper::iconColored(QString path, const ColorMap& colors)
{
    path = resourcePath(path);
    if (colors.isEmpty())
        return icon(path);
    const QString key = colors.keys().join(QLatin1Char('-')) + colors.values().join(QLatin1Char('-')) + path;
    const auto it = iconCache().constFind(key);
    if (it != iconCache().constEnd())
        return *it;
    // A raster image has no colours to replace; it is shown as it is.
    const bool isSvg = path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    return cached(key, isSvg ? svgColored(path, colors) : QImage(path));
}

QIcon MediaHelper::iconColoredWithText(QString path, const QString& color, const QString& text, double textSizePercent,
                                       bool bold, Qt::Alignment alignment, double marginXPercent, double marginYPercent,
                                       const QString& from)
{
    path = resourcePath(path);
    // Every parameter that shapes the picture is part of the key: the same text at another
    // size or place is another picture.
    const QString key = QStringList{color,
                                    path,
                                    text,
                                    QString::number(textSizePercent),
                                    QString::number(bold),
                                    QString::number(alignment.toInt()),
                                    QString::number(marginXPercent),
                                    QString::number(marginYPercent),
                                    from}
                            .join(QLatin1Char('\n'));
    const auto it = iconCache().constFind(key);
    if (it != iconCache().constEnd())
        return *it;
    QImage image = svgColored(path, color, from);
    if (!image.isNull()) {
        QPainter painter(&image);
        QFont font = painter.font();
        font.setPixelSize(qMax(1, int(image.height() * textSizePercent / 100)));
        font.setWeight(bold ? QFont::Bold : QFont::Normal);
        painter.setFont(font);
        painter.setPen(QColor(color));
        const int left = int(image.width() * marginXPercent / 100);
        const int top = int(image.height() * marginYPercent / 100);
        const int width = int((100 - 2 * marginXPercent) * image.width() / 100);
        painter.drawText(QRectF(left, top, width, image.height() - top), text, QTextOption(alignment));
    }
    return cached(key, image);
}

QString MediaHelper::recolorSVG(const QString& path, const QString& to, const QString& from)
{
    return recolorSVG(path, ColorMap{{from, to}});
}

QString MediaHelper::recolorSVG(QString path, const ColorMap& colors)
{
    QFile file(resourcePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString svg = QString::fromUtf8(file.readAll()).trimmed();
    if (colors.isEmpty())
        return svg;
    svg = replaceColours(svg, withDrawnColour(colors));
    fillRoot(svg, colors.first());
    return svg;
}

QImage MediaHelper::svgColored(const QString& path, const QString& to, const QString& from)
{
    return svgColored(path, ColorMap{{from, to}});
}

QImage MediaHelper::svgColored(const QString& path, const ColorMap& colors)
{
    return QImage::fromData(recolorSVG(path, colors).toUtf8());
}
