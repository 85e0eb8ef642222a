#pragma once

#include <QPen>

// The stimulation time line. For now it carries only its dashed pens, which the experiments'
// zone overlays share with it.
class TimelineViewer
{
public:
    static QPen dashPen1();
    static QPen dashPen2();
    static QPen dashPen3();
    static QPen dashPen4();

private:
    static QPen dashPen(int index);
};
