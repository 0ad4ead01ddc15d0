#include "controls/PointerTracking.h"

namespace controls {

TrackingStep OnMouseMove(bool hover, const MouseMoveInput& input) {
    TrackingStep step{hover};
    // A drag that began elsewhere does not light the button up.
    if (input.leftButtonHeld && !hover) {
        return step;
    }
    if (!input.flat) {
        return step;
    }
    if (!input.captureIsOurs && input.hasOwner) {
        step.hover = true;
        step.takeCapture = true;
        step.invalidate = true;
        return step;
    }
    if (input.pointInside) {
        return step;
    }
    if (hover) {
        step.hover = false;
        step.invalidate = true;
    }
    // While the left button is held the capture stays, so the release still reaches the
    // button and the standard click logic.
    if (!input.leftButtonHeld) {
        step.releaseCapture = true;
    }
    return step;
}

TrackingStep OnKillFocus(bool hover, bool flat) {
    TrackingStep step{hover};
    if (flat && hover) {
        step.hover = false;
        step.invalidate = true;
    }
    return step;
}

TrackingStep OnCaptureChanged(bool hover) {
    TrackingStep step{hover};
    if (hover) {
        step.releaseCapture = true;
        step.invalidate = true;
    }
    return step;
}

} // namespace controls
