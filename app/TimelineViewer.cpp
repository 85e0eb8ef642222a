#include "TimelineViewer.h"

#include <QColor>

#include <array>

namespace {

QPen makeDashPen(const QColor& colour, qreal width)
{
    QPen pen(colour, qMax<qreal>(1, width));
    pen.setDashPattern({3, 3});
    return pen;
}

} // namespace

// Built once per process; callers get copies.
QPen TimelineViewer::dashPen(int index)
{
    static const std::array<QPen, 4> pens{
        makeDashPen(QColor(0x33, 0x77, 0xBB), 2), makeDashPen(QColor(0x66, 0xCC, 0x00), 2),
        makeDashPen(QColor(0xCC, 0x33, 0x00), 2), makeDashPen(QColor(0xF1, 0xE3, 0x08), 2)};
    return pens.at(index);
}

QPen TimelineViewer::dashPen1()
{
    return dashPen(0);
}

QPen TimelineViewer::dashPen2()
{
    return dashPen(1);
}

QPen TimelineViewer::dashPen3()
{
    return dashPen(2);
}

QPen TimelineViewer::dashPen4()
{
    return dashPen(3);
}
