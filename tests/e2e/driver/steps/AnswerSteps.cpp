#include "steps/AnswerSteps.h"

#include "probes/ProgramFacts.h"
#include "probes/WindowProbe.h"
#include "TestRunner.h"

namespace e2e {

std::optional<MessageBoxView> Answered(const App& app, int answer) {
    std::optional<MessageBoxView> box = app.WaitMessageBox();
    if (box) {
        REQUIRE_MSG(AnswerMessageBox(box->window, answer), "the box has no such button");
        REQUIRE_MSG(WaitGone(box->window), "the box stayed after the answer");
    }
    return box;
}

std::optional<MessageBoxView> AnsweredAfter(const App& app, HWND button, int answer) {
    PressButton(button);
    return Answered(app, answer);
}

void CheckNotice(const App& app, HWND owner, const std::string& text) {
    const std::optional<MessageBoxView> box = Answered(app);
    if (CHECK_MSG(box.has_value(), "no notice: expected " + text)) {
        CHECK_EQ(box->text, text);
        CHECK_EQ(box->caption, texts::kNotice);
        CHECK_EQ(box->buttons, std::vector<int>{IDOK});
        CHECK_EQ(box->icon, BoxIcon::Information);
        CHECK_EQ(box->owner, owner);
    }
}

} // namespace e2e
