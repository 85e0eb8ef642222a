#pragma once

#include <QPen>

// The dashed pens the time line and the experiments' zone overlays share: width 2, dash
// pattern 3, 3. Each is built once per process; callers get copies.
class DashedPens
{
public:
    static QPen blue();
    static QPen green();
    static QPen red();
    static QPen yellow();
};
