#include "ShadowMapOverlayWidget.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>

namespace {

const QColor pathColour(0x00, 0xCC, 0xFF, 180);
// The newest segment is this much wider than the oldest, which is 1 pixel wide.
constexpr int pathWidening = 9;

bool isPoint(QPoint point)
{
    return point != PlayableOverlayWithPoints::noPoint;
}

} // namespace

ShadowMapOverlayWidget::ShadowMapOverlayWidget(QWidget* parent)
    : PlayableOverlayWithPoints(QStringLiteral("ShadowMap"), parent)
{
}

void ShadowMapOverlayWidget::setView(OverlayView view)
{
    shownView = view;
    update();
}

void ShadowMapOverlayWidget::paintOverlay(QPainter& painter)
{
    if (!trackFile())
        return;
    if (isLoading())
        paintLoading(painter);
    else if (shownView == HeatMap)
        paintHeatMap(painter);
    else
        paintPath(painter);
}

// In screen pixels, over the shown video, so the words stay readable at any zoom; a dark shadow
// keeps the white words readable over a light arena floor.
void ShadowMapOverlayWidget::paintLoading(QPainter& painter) const
{
    const QRect shown = painter.transform().mapRect(QRect(QPoint(0, 0), videoSize())).adjusted(6, 4, -6, -4);
    const QString text = QCoreApplication::translate("Generic", "Loading data");
    painter.resetTransform();
    painter.setPen(QColor(0, 0, 0, 160));
    painter.drawText(shown.translated(1, 1), text);
    painter.setPen(Qt::white);
    painter.drawText(shown, text);
}

void ShadowMapOverlayWidget::paintHeatMap(QPainter& painter) const
{
    const QList<QPoint>& all = points();
    const int index = currentIndex();
    const qsizetype from = std::max(index - tail, 0);
    const qsizetype to = std::min<qsizetype>(index - 1, all.size());
    const QList<QPoint> slice = index <= 0 ? all : all.mid(from, std::max<qsizetype>(to - from, 0));
    const QSize grid = track().blobSize().isEmpty() ? videoSize() : track().blobSize();
    const QImage map = renderer.render(slice, grid.width(), grid.height(), 1, 1);
    if (!map.isNull())
        painter.drawImage(QPoint(0, 0), map.scaled(videoSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// Segments that reach a record without an animal are left out, so that no line crosses the
// picture to a place the animal never was. Only records taken before the one on screen are
// drawn, at the start of the run too: a path ahead of the frame would show where the animal
// is yet to go.
void ShadowMapOverlayWidget::paintPath(QPainter& painter) const
{
    const int index = currentIndex();
    const int from = std::max(index - tail, 0);
    const int to = index;
    if (from >= to)
        return;
    const QSize blobSize = track().blobSize();
    if (blobSize.width() > 0) {
        const qreal factor = qreal(videoSize().width()) / blobSize.width();
        painter.scale(factor, factor);
    }
    const QList<QPoint> slice = points().mid(from, to - from);
    QPen pen(pathColour);
    pen.setCapStyle(Qt::RoundCap);
    // The segment between the two oldest points is not drawn.
    for (qsizetype k = slice.size() - 1; k >= 2; --k) {
        if (!isPoint(slice.at(k)) || !isPoint(slice.at(k - 1)))
            continue;
        pen.setWidth(std::max(int(k) * pathWidening / tail + 1, 1));
        painter.setPen(pen);
        painter.drawLine(slice.at(k), slice.at(k - 1));
    }
}
