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

// The seconds the stored records spent in the cycle.
long long CycleRecordSeconds(const std::vector<std::string>& records, const plan::Cycle& cycle);

enum class PlanWarning { None, Balloon, HangUpQuestion };

// A warning due now, and the level it stands for (stored as warned in the cycle).
struct PlanStep {
    PlanWarning warning = PlanWarning::None;
    int level = 0;
};

// The highest level newly reached: at 100 % the question when the user asked for it, else a
// balloon.
PlanStep NextPlanStep(const plan::PlanSettings& plan, long long usedSeconds, int warnedLevel);

// One cycle as a connection sees it: the plan, what the cycle's records hold and the level
// already warned.
class PlanWatch {
public:
    void Load(const plan::PlanSettings& plan, const plan::Cycle& cycle, long long recordSeconds,
              int warnedLevel);

    bool Loaded() const { return m_bLoaded; }
    const plan::PlanSettings& Plan() const { return m_plan; }
    const plan::Cycle& CycleNow() const { return m_cycle; }
    int WarnedLevel() const { return m_nWarnedLevel; }

    // The cycle's time with the running connection's seconds in it.
    long long Used(long long runningSeconds) const { return m_nRecordSeconds + runningSeconds; }

    // The warning due with the running connection's seconds in the cycle; its level counts as
    // warned from here on, so each comes once.
    PlanStep Step(long long runningSeconds);

private:
    bool m_bLoaded = false;
    plan::PlanSettings m_plan;
    plan::Cycle m_cycle;
    long long m_nRecordSeconds = 0;
    int m_nWarnedLevel = 0;
};

} // namespace dialer
