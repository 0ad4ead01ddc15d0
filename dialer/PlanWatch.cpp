#include "dialer/PlanWatch.h"

#include "plan/PlanTexts.h"
#include "plan/Usage.h"
#include "plan/Warnings.h"

namespace dialer {

std::string PlanTrayTip(const plan::PlanSettings& plan, long long usedSeconds) {
    return kTrayTip + plan::TrayTipLine(plan, usedSeconds);
}

long long CycleRecordSeconds(const std::vector<std::string>& records, const plan::Cycle& cycle,
                             const plan::PlanSettings& plan) {
    return plan::UsageIn(cycle, plan::ReadConnections(records).connections, plan).Used();
}

PlanStep NextPlanStep(const plan::PlanSettings& plan, long long usedSeconds, int warnedLevel,
                      bool overLimitAllowed) {
    const int level = plan::DueWarning(plan, usedSeconds, warnedLevel);
    if (level == 0) {
        return {};
    }
    if (level < 100) {
        return {PlanWarning::Balloon, level};
    }
    switch (plan.atLimit) {
    case plan::LimitAction::Ask:
        return {PlanWarning::HangUpQuestion, level};
    case plan::LimitAction::HangUp:
        return {overLimitAllowed ? PlanWarning::Balloon : PlanWarning::HangUpNow, level};
    case plan::LimitAction::Warn:
        break;
    }
    return {PlanWarning::Balloon, level};
}

void PlanWatch::Load(const plan::PlanSettings& plan, const plan::Cycle& cycle,
                     long long recordSeconds, int warnedLevel) {
    if (m_bLoaded && !(cycle == m_cycle)) {
        m_bOverLimitAllowed = false;
    }
    m_bLoaded = true;
    m_plan = plan;
    m_cycle = cycle;
    m_nRecordSeconds = recordSeconds;
    m_nWarnedLevel = warnedLevel;
}

long long PlanWatch::Used(long long runningSeconds) const {
    return m_nRecordSeconds + plan::BilledSeconds(runningSeconds, m_plan.BillingSeconds());
}

PlanStep PlanWatch::Step(long long runningSeconds) {
    if (!m_bLoaded) {
        return {};
    }
    const PlanStep step =
        NextPlanStep(m_plan, Used(runningSeconds), m_nWarnedLevel, m_bOverLimitAllowed);
    if (step.level > m_nWarnedLevel) {
        m_nWarnedLevel = step.level;
    }
    return step;
}

} // namespace dialer
