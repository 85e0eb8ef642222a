#include "TimelineViewer.h"

#include "DashedPens.h"

QPen TimelineViewer::dashPen1()
{
    return DashedPens::blue();
}

QPen TimelineViewer::dashPen2()
{
    return DashedPens::green();
}

QPen TimelineViewer::dashPen3()
{
    return DashedPens::red();
}

QPen TimelineViewer::dashPen4()
{
    return DashedPens::yellow();
}
