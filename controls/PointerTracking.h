#pragma once

// The flat look follows the pointer: the button takes the mouse capture while the pointer is
// over it and shows the active look (hover) until the pointer leaves. These functions decide
// each step from the handler's inputs; the caller applies the effects to the real window.

namespace controls {

struct TrackingStep {
    bool hover = false; // the button's hover flag afterwards
    bool takeCapture = false;
    bool releaseCapture = false;
    bool invalidate = false; // repaint the whole button, erasing it
};

struct MouseMoveInput {
    bool flat = true;
    bool leftButtonHeld = false; // MK_LBUTTON in the move's flags
    bool captureIsOurs = false;  // the button holds the mouse capture now
    bool hasOwner = true;        // the button has an owner or parent window
    bool pointInside = false;    // the move's point lies in the client rectangle
};

// After the standard button's own handling of the move.
TrackingStep OnMouseMove(bool hover, const MouseMoveInput& input);

// After default processing of the lost focus; the capture is left alone.
TrackingStep OnKillFocus(bool hover, bool flat);

// The capture was taken away or released: the capture is released (again) and the button
// repainted, but the hover flag keeps its value.
TrackingStep OnCaptureChanged(bool hover);

} // namespace controls
