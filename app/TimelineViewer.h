#pragma once

#include <QPen>

// The stimulation time line. For now it carries only its dashed pens, which it shares with the
// experiments' zone overlays (DashedPens, below the experiments).
class TimelineViewer
{
public:
    static QPen dashPen1();
    static QPen dashPen2();
    static QPen dashPen3();
    static QPen dashPen4();
};
