#include "IconWidget.h"

#include "MediaHelper.h"
#include "StyleHelper.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

namespace {
const QString DrawnColour = QStringLiteral("#303030");

QPixmap scaled(const QImage& image, const QSize& size)
{
    return QPixmap::fromImage(image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
} // namespace

IconWidget::IconWidget(const QString& path, const QString& color, const QSize& size, const QString& replacedColor,
                       QWidget* parent)
    : QWidget(parent)
{
    setIcon(path, color, replacedColor);
    if (size.width() > 0 && size.height() > 0)
        setFixedSize(size);
}

void IconWidget::setIcon(const QString& path, const QString& color, const QString& replacedColor)
{
    connections.clear();
    if (renderer)
        renderer->deleteLater();
    renderer = nullptr;
    svgAnimated = false;
    picture = QImage();
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        loadSvg(path, color, replacedColor);
    else
        loadImage(path);
    update();
}

void IconWidget::loadSvg(const QString& path, const QString& color, const QString& replacedColor)
{
    renderer = color.isEmpty() ? new QSvgRenderer(path, this)
                               : new QSvgRenderer(MediaHelper::recolorSVG(path, color, replacedColor).toUtf8(), this);
    svgAnimated = renderer->animated();
    pictureWidth = renderer->defaultSize().width();
    pictureHeight = renderer->defaultSize().height();
    if (!renderer->defaultSize().isEmpty()) {
        picture = QImage(renderer->defaultSize(), QImage::Format_RGBA8888);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        renderer->render(&painter);
    }
    if (svgAnimated) {
        connections << connect(
            renderer, &QSvgRenderer::repaintNeeded, this,
            [this] {
                if (animateFlag && isActive())
                    update();
            },
            Qt::QueuedConnection);
    }
}

void IconWidget::loadImage(const QString& path)
{
    picture = QImage(path);
    pictureWidth = picture.width();
    pictureHeight = picture.height();
}

void IconWidget::animate(bool animate)
{
    animateFlag = animate;
}

bool IconWidget::isAnimated() const
{
    return svgAnimated;
}

void IconWidget::setInvertedEnabledBehavior(bool inverted)
{
    invertedEnabled = inverted;
    update();
}

bool IconWidget::isActive() const
{
    return isEnabled() != invertedEnabled;
}

bool IconWidget::playsLive() const
{
    return animateFlag && renderer && isActive();
}

QRect IconWidget::targetRect() const
{
    const double widgetRatio = double(width()) / height();
    const double pictureRatio = double(pictureWidth) / pictureHeight;
    if (widgetRatio >= pictureRatio) {
        const int fittedWidth = int(height() * pictureRatio);
        return QRect((width() - fittedWidth) / 2, 0, fittedWidth, height());
    }
    const int fittedHeight = int(width() / pictureRatio);
    return QRect(0, (height() - fittedHeight) / 2, width(), fittedHeight);
}

void IconWidget::paintEvent(QPaintEvent*)
{
    // Whatever lies under the widget shows around the picture.
    if (pictureWidth <= 0 || pictureHeight <= 0 || width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.5);
    const QRect target = targetRect();
    if (playsLive())
        renderer->render(&painter, target);
    else
        painter.drawPixmap(target.topLeft(), scaled(picture, target.size()));
}

QLabel* IconWidget::PlainIconWidget(const QString& path, const QSize& size, const QString& color)
{
    auto* label = new QLabel();
    label->setFixedSize(size);
    if (color.isEmpty())
        label->setPixmap(StyleHelper::ColoredIcon(path, QStringLiteral("#FFF"), DrawnColour).pixmap(size));
    else if (color == QStringLiteral("none"))
        label->setPixmap(scaled(QImage(path), size));
    else
        label->setPixmap(scaled(MediaHelper::svgColored(path, color, DrawnColour), size));
    return label;
}
