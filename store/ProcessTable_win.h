#pragma once

#include "store/RunningOwner.h"

namespace store {

// The processes of this machine; lives as long as the process.
const ProcessTable& SystemProcessTable();

} // namespace store
