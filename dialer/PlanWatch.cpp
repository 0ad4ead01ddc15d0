#include "dialer/PlanWatch.h"

#include "plan/PlanTexts.h"
#include "plan/Usage.h"
#include "plan/Warnings.h"

namespace dialer {

std::string PlanTrayTip(const plan::PlanSettings& plan, long long usedSeconds) {
    return kTrayTip + plan::TrayTipLine(plan, usedSeconds);
}

long long CycleRecordSeconds(const std::vector<std::string>& records, const plan::Cycle& cycle) {
    return plan::UsageIn(cycle, plan::ReadConnections(records).connections).seconds;
}

PlanStep NextPlanStep(const plan::PlanSettings& plan, long long usedSeconds, int warnedLevel) {
    const int level = plan::DueWarning(plan, usedSeconds, warnedLevel);
    if (level == 0) {
        return {};
    }
    const bool ask = level >= 100 && plan.askAtLimit;
    return {ask ? PlanWarning::HangUpQuestion : PlanWarning::Balloon, level};
}

void PlanWatch::Load(const plan::PlanSettings& plan, const plan::Cycle& cycle,
                     long long recordSeconds, int warnedLevel) {
    m_bLoaded = true;
    m_plan = plan;
    m_cycle = cycle;
    m_nRecordSeconds = recordSeconds;
    m_nWarnedLevel = warnedLevel;
}

PlanStep PlanWatch::Step(long long runningSeconds) {
    if (!m_bLoaded) {
        return {};
    }
    const PlanStep step = NextPlanStep(m_plan, Used(runningSeconds), m_nWarnedLevel);
    if (step.level > m_nWarnedLevel) {
        m_nWarnedLevel = step.level;
    }
    return step;
}

} // namespace dialer
