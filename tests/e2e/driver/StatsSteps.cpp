#include "StatsSteps.h"

#include "ProgramFacts.h"
#include "TestRunner.h"
#include "WindowProbe.h"

namespace e2e {

HWND OpenStats(const App& app, HWND main) {
    PressButton(Item(main, ids::kStatistics));
    return app.WaitDialog(kStatsTitle, ids::kStatsList);
}

HWND RequireStats(const Started& s) {
    HWND stats = OpenStats(s.app, s.main);
    REQUIRE_MSG(stats != nullptr, "the statistics window did not open");
    return stats;
}

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

} // namespace e2e
