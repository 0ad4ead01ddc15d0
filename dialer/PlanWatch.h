#pragma once

// The allowance while the program runs: the tray tip, and the warnings a connection gives as
// the cycle fills up. The cycle's records are read once (at connect, at a change of the plan);
// each tick only adds the running connection's seconds.

#include <string>
#include <vector>

#include "plan/Calendar.h"
#include "plan/PlanSettings.h"

namespace dialer {

// The tray icon's own tip.
inline constexpr const char* kTrayTip = "拨号网络计时器";

// The tray tip: the program's name, and with an allowance what remains of the cycle.
std::string PlanTrayTip(const plan::PlanSettings& plan, long long usedSeconds);

// The cycle's time as the plan counts it from the stored records (each one's part rounded as
// the ISP counts) and the time the user entered as used elsewhere.
long long CycleRecordSeconds(const std::vector<std::string>& records, const plan::Cycle& cycle,
                             const plan::PlanSettings& plan);

// At 100 % the plan's action: a balloon, the question whether to hang up, or a hang-up at once.
enum class PlanWarning { None, Balloon, HangUpQuestion, HangUpNow };

// A warning due now, and the level it stands for (stored as warned in the cycle).
struct PlanStep {
    PlanWarning warning = PlanWarning::None;
    int level = 0;
};

// The highest level newly reached: a balloon, at 100 % the plan's action. A connection the user
// dialed over the used-up allowance (overLimitAllowed) gets a balloon instead of the hang-up.
PlanStep NextPlanStep(const plan::PlanSettings& plan, long long usedSeconds, int warnedLevel,
                      bool overLimitAllowed = false);

// One cycle as a connection sees it: the plan, what the cycle's records hold (as
// CycleRecordSeconds counts it) and the level already warned.
class PlanWatch {
public:
    void Load(const plan::PlanSettings& plan, const plan::Cycle& cycle, long long recordSeconds,
              int warnedLevel);

    bool Loaded() const { return m_bLoaded; }
    const plan::PlanSettings& Plan() const { return m_plan; }
    const plan::Cycle& CycleNow() const { return m_cycle; }
    int WarnedLevel() const { return m_nWarnedLevel; }

    // Set at each connect: whether the user confirmed this dial with the allowance used up, so
    // that the plan's hang-up at 100 % does not end the connection (a balloon comes instead). A
    // Load of another cycle clears it: the consent was for the cycle that was used up.
    void AllowOverLimit(bool allowed) { m_bOverLimitAllowed = allowed; }
    bool OverLimitAllowed() const { return m_bOverLimitAllowed; }

    // The cycle's time with the running connection's seconds in it, rounded as the records are.
    long long Used(long long runningSeconds) const;

    // The warning due with the running connection's seconds in the cycle; its level counts as
    // warned from here on, so each comes once.
    PlanStep Step(long long runningSeconds);

private:
    bool m_bLoaded = false;
    plan::PlanSettings m_plan;
    plan::Cycle m_cycle;
    long long m_nRecordSeconds = 0;
    int m_nWarnedLevel = 0;
    bool m_bOverLimitAllowed = false;
};

} // namespace dialer
