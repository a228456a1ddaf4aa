// skin/core/draw_edge_plan.cpp
#include "skin/core/draw_edge_plan.h"

namespace plym {

EdgeRing EdgeRingOf(unsigned edge, unsigned flags, bool inner) {
    EdgeRing ring;
    const unsigned raised = inner ? kBdrRaisedInner : kBdrRaisedOuter;
    const unsigned sunken = inner ? kBdrSunkenInner : kBdrSunkenOuter;
    if ((edge & (raised | sunken)) == 0)
        return ring;
    ring.present = true;
    if (flags & kBfMono) {
        ring.topLeft = ring.bottomRight = inner ? EdgeColor::Window : EdgeColor::WindowFrame;
        return ring;
    }
    if (flags & kBfFlat) {
        ring.topLeft = ring.bottomRight = inner ? EdgeColor::Face : EdgeColor::Shadow;
        return ring;
    }
    const bool soft = (flags & kBfSoft) != 0;
    using C = EdgeColor;
    if (!inner && (edge & raised)) {
        ring.topLeft = soft ? C::Highlight : C::Light;
        ring.bottomRight = C::DarkShadow;
    } else if (!inner) {
        ring.topLeft = soft ? C::DarkShadow : C::Shadow;
        ring.bottomRight = C::Highlight;
    } else if (edge & raised) {
        ring.topLeft = soft ? C::Light : C::Highlight;
        ring.bottomRight = C::Shadow;
    } else {
        ring.topLeft = soft ? C::Shadow : C::DarkShadow;
        ring.bottomRight = C::Light;
    }
    return ring;
}

EdgePlan PlanRectEdge(const Rect& rect, unsigned edge, unsigned flags) {
    EdgePlan plan;
    Rect r = rect;
    for (bool inner : {false, true}) {
        const EdgeRing ring = EdgeRingOf(edge, flags, inner);
        if (!ring.present)
            continue;
        if (flags & kBfLeft)
            plan.strokes.push_back({{r.left, r.top, r.left + 1, r.bottom}, ring.topLeft});
        if (flags & kBfTop)
            plan.strokes.push_back({{r.left, r.top, r.right, r.top + 1}, ring.topLeft});
        if (flags & kBfBottom)
            plan.strokes.push_back({{r.left, r.bottom - 1, r.right, r.bottom}, ring.bottomRight});
        if (flags & kBfRight)
            plan.strokes.push_back({{r.right - 1, r.top, r.right, r.bottom}, ring.bottomRight});
        if (flags & kBfLeft)
            ++r.left;
        if (flags & kBfTop)
            ++r.top;
        if (flags & kBfRight)
            --r.right;
        if (flags & kBfBottom)
            --r.bottom;
    }
    plan.inside = r;
    plan.fillMiddle = (flags & kBfMiddle) != 0;
    return plan;
}

}  // namespace plym
