#pragma once

// What one draw of the image button paints apart from icon and caption: which look (colours
// and icon) applies, the black focus frame of the three-dimensional look, the frame lines and
// the focus rectangle. The Win32 side only carries the plan out.

#include <array>
#include <vector>

#include "controls/ButtonGeometry.h"

namespace controls {

// System colour indices the frames use (read from the system at each draw).
enum SystemColor : int {
    kColorBtnFace = 15,
    kColorBtnShadow = 16,
    kColorBtnText = 18,
    kColorBtnHighlight = 20,
    kColor3dDkShadow = 21,
    kColor3dLight = 22,
};

// Active while hovered or pressed: it picks the face and text colours and the icon.
enum class Look { Idle, Active };

Look ChooseLook(bool hover, bool pressed);

// The button's options and the draw request's state bits.
struct ButtonState {
    bool flat = true;
    bool drawBorder = true;
    bool flatFocusRect = false;
    bool hover = false;
    bool pressed = false;
    bool focused = false;
};

// Move to the first point, then a line to each next one; the platform leaves each line's end
// point unpainted.
struct LineList {
    int color = 0; // a SystemColor
    std::array<Point, 3> points{};
    bool operator==(const LineList& other) const {
        return color == other.color && points == other.points;
    }
};

struct FramePlan {
    Look look = Look::Idle;
    // Three-dimensional look with focus: a black frame around the whole item, and everything
    // else drawn one pixel further in.
    bool blackFrame = false;
    // The rectangle filled with the face colour and framed (the item, or one pixel inside it).
    Rect face;
    // A one-pixel frame around `face` in a system colour (pressed three-dimensional look).
    bool frameRect = false;
    int frameRectColor = kColorBtnShadow;
    std::vector<LineList> lines;
    bool focusRect = false;
    Rect focus;
};

FramePlan PlanFrame(const Rect& item, const ButtonState& state);

} // namespace controls
