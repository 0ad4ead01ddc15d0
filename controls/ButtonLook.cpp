#include "controls/ButtonLook.h"

namespace controls {

namespace {

// Top-left edges in `first`, bottom-right edges in `second`: raised or sunken by the order.
void AddThinFrame(std::vector<LineList>& lines, const Rect& r, int first, int second) {
    lines.push_back({first, {{{r.left, r.bottom - 1}, {r.left, r.top}, {r.right, r.top}}}});
    lines.push_back(
        {second,
         {{{r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1}, {r.right - 1, r.top - 1}}}});
}

void AddRaised3d(std::vector<LineList>& lines, const Rect& r) {
    const int l = r.left, t = r.top, rt = r.right, b = r.bottom;
    lines.push_back({kColorBtnHighlight, {{{l, b - 1}, {l, t}, {rt, t}}}});
    lines.push_back({kColor3dLight, {{{l + 1, b - 1}, {l + 1, t + 1}, {rt, t + 1}}}});
    lines.push_back({kColor3dDkShadow, {{{l, b - 1}, {rt - 1, b - 1}, {rt - 1, t - 1}}}});
    lines.push_back({kColorBtnShadow, {{{l + 1, b - 2}, {rt - 2, b - 2}, {rt - 2, t}}}});
}

} // namespace

Look ChooseLook(bool hover, bool pressed) {
    return hover || pressed ? Look::Active : Look::Idle;
}

FramePlan PlanFrame(const Rect& item, const ButtonState& state) {
    FramePlan plan;
    plan.look = ChooseLook(state.hover, state.pressed);
    plan.face = item;
    if (!state.flat && state.focused) {
        plan.blackFrame = true;
        plan.face = item.Inflate(-1);
    }
    const Rect& r = plan.face;
    if (state.flat) {
        if (state.drawBorder && state.pressed) {
            AddThinFrame(plan.lines, r, kColorBtnShadow, kColorBtnHighlight);
        } else if (state.drawBorder && state.hover) {
            AddThinFrame(plan.lines, r, kColorBtnHighlight, kColorBtnShadow);
        }
    } else if (state.pressed) {
        plan.frameRect = true;
        plan.frameRectColor = kColorBtnShadow;
    } else {
        AddRaised3d(plan.lines, r);
    }
    if (state.focused && (!state.flat || state.flatFocusRect)) {
        plan.focusRect = true;
        plan.focus = r.Inflate(-3);
    }
    return plan;
}

} // namespace controls
