#include "DashedPens.h"

#include <QColor>

namespace {

QPen makeDashPen(const QColor& colour, qreal width)
{
    QPen pen(colour, qMax<qreal>(1, width));
    pen.setDashPattern({3, 3});
    return pen;
}

} // namespace

QPen DashedPens::blue()
{
    static const QPen pen = makeDashPen(QColor(0x33, 0x77, 0xBB), 2);
    return pen;
}

QPen DashedPens::green()
{
    static const QPen pen = makeDashPen(QColor(0x66, 0xCC, 0x00), 2);
    return pen;
}

QPen DashedPens::red()
{
    static const QPen pen = makeDashPen(QColor(0xCC, 0x33, 0x00), 2);
    return pen;
}

QPen DashedPens::yellow()
{
    static const QPen pen = makeDashPen(QColor(0xF1, 0xE3, 0x08), 2);
    return pen;
}
