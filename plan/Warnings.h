#pragma once

// When the allowance warns: at 80 %, 90 % and 100 % of a cycle, each once per cycle, also
// across a restart of the program.

#include "plan/Calendar.h"
#include "plan/PlanSettings.h"
#include "store/ProfileStore.h"

namespace plan {

inline constexpr int kWarningLevels[] = {80, 90, 100};

// The highest level the used seconds have reached and that is above the level already warned
// in this cycle; 0 for none. Levels passed together come as one warning, the highest. A
// raised allowance repeats no level already given; a lowered one makes the levels it now
// passes due once.
int DueWarning(const PlanSettings& plan, long long usedSeconds, int warnedLevel);

// The dial button asks first when the cycle's allowance is already used up.
bool AsksBeforeDial(const PlanSettings& plan, long long usedSeconds);

// The highest level warned in this cycle: 0 when what is stored belongs to another cycle (a
// new cycle starts afresh) or cannot be read.
int LoadWarnedLevel(const store::ProfileStore& settings, const Cycle& current);

// False when a write failed.
bool StoreWarnedLevel(store::ProfileStore& settings, const Cycle& current, int level);

} // namespace plan
