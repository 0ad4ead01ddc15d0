// Pointer tracking of the flat look, walked through its state table: a small model of the
// mouse capture receives each handler's effects, and the state after each event is the
// table's.

#include "controls/PointerTracking.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using controls::MouseMoveInput;
using controls::TrackingStep;

enum class State { Away, Hovering, CapturedIdle, HoverKept };

const char* Name(State state) {
    switch (state) {
    case State::Away:
        return "Away";
    case State::Hovering:
        return "Hovering";
    case State::CapturedIdle:
        return "Captured idle";
    case State::HoverKept:
        return "Hover kept";
    }
    return "?";
}

// The button and the one mouse capture of its thread, as the handlers see them.
struct World {
    bool flat = true;
    bool hover = false;
    bool captured = false; // the button holds the capture
    int repaints = 0;

    static World In(State state) {
        World world;
        world.hover = state == State::Hovering || state == State::HoverKept;
        world.captured = state == State::Hovering || state == State::CapturedIdle;
        return world;
    }

    State Now() const {
        if (hover) {
            return captured ? State::Hovering : State::HoverKept;
        }
        return captured ? State::CapturedIdle : State::Away;
    }

    void Apply(const TrackingStep& step) {
        hover = step.hover;
        if (step.takeCapture) {
            captured = true;
        }
        if (step.releaseCapture) {
            LoseCapture(); // releasing our own capture notifies us like any other loss
        }
        repaints += step.invalidate ? 1 : 0;
    }

    // The capture goes away (released, or taken by another window): the button hears of
    // it through its capture-changed handler.
    void LoseCapture() {
        if (!captured) {
            return;
        }
        captured = false;
        Apply(controls::OnCaptureChanged(hover));
    }

    void Move(bool inside, bool leftHeld) {
        MouseMoveInput input;
        input.flat = flat;
        input.leftButtonHeld = leftHeld;
        input.captureIsOurs = captured;
        input.hasOwner = true;
        input.pointInside = inside;
        Apply(controls::OnMouseMove(hover, input));
    }

    void KillFocus() { Apply(controls::OnKillFocus(hover, flat)); }
};

enum class Event { MoveInUp, MoveInHeld, MoveOutUp, MoveOutHeld, CaptureLost, FocusLost };

const char* Name(Event event) {
    switch (event) {
    case Event::MoveInUp:
        return "move inside, left button up";
    case Event::MoveInHeld:
        return "move inside, left button held";
    case Event::MoveOutUp:
        return "move outside, left button up";
    case Event::MoveOutHeld:
        return "move outside, left button held";
    case Event::CaptureLost:
        return "capture taken away or released";
    case Event::FocusLost:
        return "focus lost";
    }
    return "?";
}

void Fire(World& world, Event event) {
    switch (event) {
    case Event::MoveInUp:
        world.Move(true, false);
        break;
    case Event::MoveInHeld:
        world.Move(true, true);
        break;
    case Event::MoveOutUp:
        world.Move(false, false);
        break;
    case Event::MoveOutHeld:
        world.Move(false, true);
        break;
    case Event::CaptureLost:
        world.LoseCapture();
        break;
    case Event::FocusLost:
        world.KillFocus();
        break;
    }
}

struct Transition {
    State from;
    Event event;
    State to;
    bool repaint;
};

void PrintTo(const Transition& t, std::ostream* out) {
    *out << Name(t.from) << " / " << Name(t.event) << " -> " << Name(t.to);
}

// "Over the button" is a move inside the client rectangle. The table's rows, and what the
// rows leave implicit (a move outside from Away, focus lost while Away).
const Transition kTable[] = {
    {State::Away, Event::MoveInUp, State::Hovering, true},
    {State::Away, Event::MoveInHeld, State::Away, false},
    {State::HoverKept, Event::MoveInUp, State::Hovering, true},
    {State::HoverKept, Event::MoveInHeld, State::Hovering, true},
    {State::Hovering, Event::MoveInUp, State::Hovering, false},
    {State::Hovering, Event::MoveInHeld, State::Hovering, false},
    {State::Hovering, Event::MoveOutUp, State::Away, true},
    {State::Hovering, Event::MoveOutHeld, State::CapturedIdle, true},
    {State::Hovering, Event::CaptureLost, State::HoverKept, true},
    {State::Hovering, Event::FocusLost, State::CapturedIdle, true},
    {State::HoverKept, Event::FocusLost, State::Away, true},
    {State::CapturedIdle, Event::MoveInUp, State::CapturedIdle, false},
    {State::CapturedIdle, Event::MoveInHeld, State::CapturedIdle, false},
    {State::CapturedIdle, Event::MoveOutHeld, State::CapturedIdle, false},
    {State::CapturedIdle, Event::MoveOutUp, State::Away, false},
    {State::CapturedIdle, Event::CaptureLost, State::Away, false},
    {State::CapturedIdle, Event::FocusLost, State::CapturedIdle, false},
    {State::Away, Event::FocusLost, State::Away, false},
    {State::Away, Event::CaptureLost, State::Away, false},
};

class TrackingTable : public testing::TestWithParam<Transition> {};

TEST_P(TrackingTable, EventLeadsToTheTablesState) {
    const Transition& t = GetParam();
    World world = World::In(t.from);
    ASSERT_EQ(world.Now(), t.from);
    Fire(world, t.event);
    EXPECT_EQ(Name(world.Now()), std::string(Name(t.to)));
    EXPECT_EQ(world.repaints > 0, t.repaint);
}

INSTANTIATE_TEST_SUITE_P(FlatLook, TrackingTable, testing::ValuesIn(kTable));

TEST(PointerTracking, TakingTheCaptureIsTheOnlyEffectOfTheFirstMove) {
    const TrackingStep step =
        controls::OnMouseMove(false, MouseMoveInput{true, false, false, true, true});
    EXPECT_TRUE(step.hover);
    EXPECT_TRUE(step.takeCapture);
    EXPECT_TRUE(step.invalidate);
    EXPECT_FALSE(step.releaseCapture);
}

TEST(PointerTracking, AButtonWithoutOwnerOrParentNeverTakesTheCapture) {
    MouseMoveInput input;
    input.hasOwner = false;
    input.pointInside = true;
    const TrackingStep step = controls::OnMouseMove(false, input);
    EXPECT_FALSE(step.takeCapture);
    EXPECT_FALSE(step.hover);
}

TEST(PointerTracking, CaptureChangedKeepsTheHoverFlag) {
    const TrackingStep step = controls::OnCaptureChanged(true);
    EXPECT_TRUE(step.hover);
    EXPECT_TRUE(step.releaseCapture);
    EXPECT_TRUE(step.invalidate);
}

TEST(PointerTracking, ThreeDimensionalLookIgnoresThePointerAndTheFocus) {
    for (Event event : {Event::MoveInUp, Event::MoveOutUp, Event::MoveInHeld, Event::FocusLost}) {
        World world;
        world.flat = false;
        Fire(world, event);
        EXPECT_FALSE(world.hover) << Name(event);
        EXPECT_FALSE(world.captured) << Name(event);
        EXPECT_EQ(world.repaints, 0) << Name(event);
    }
}

// Stories of the edge cases, event by event.
TEST(PointerTracking, AfterAClickTheActiveLookStaysUntilThePointerComesAndGoes) {
    World world;
    world.Move(true, false); // over the button
    world.Move(true, true);  // the left button goes down and the pointer moves a little
    world.LoseCapture();     // the standard button releases the capture at the end of the click
    EXPECT_EQ(world.Now(), State::HoverKept);
    world.Move(true, false);
    EXPECT_EQ(world.Now(), State::Hovering);
    world.Move(false, false);
    EXPECT_EQ(world.Now(), State::Away);
}

TEST(PointerTracking, FocusLostWhileHoveringStaysIdleUntilThePointerLeavesAndReturns) {
    World world;
    world.Move(true, false);
    world.KillFocus();
    for (int i = 0; i < 3; ++i) {
        world.Move(true, false);
        EXPECT_EQ(world.Now(), State::CapturedIdle);
    }
    world.Move(false, false);
    EXPECT_EQ(world.Now(), State::Away);
    world.Move(true, false);
    EXPECT_EQ(world.Now(), State::Hovering);
}

TEST(PointerTracking, DraggingOutKeepsTheCaptureUntilTheButtonIsReleased) {
    World world;
    world.Move(true, false);
    world.Move(false, true);
    EXPECT_FALSE(world.hover);
    EXPECT_TRUE(world.captured);
    world.Move(true, true); // back in with the button still down: the frame stays away
    EXPECT_EQ(world.Now(), State::CapturedIdle);
    world.Move(false, false);
    EXPECT_EQ(world.Now(), State::Away);
}

} // namespace
