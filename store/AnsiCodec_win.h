#pragma once

#include "store/FileEncoding.h"

namespace store {

// The program's code page (936) and UTF-16 through the platform; lives as long as the process.
const AnsiCodec& SystemAnsiCodec();

} // namespace store
