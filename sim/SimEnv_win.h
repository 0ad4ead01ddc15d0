#pragma once

// Where the simulated RAS service finds its phone book and writes its call log, and the code-page
// conversions between the UTF-8 files and the ANSI strings of the RAS calls.

#include <windows.h>

#include <string>
#include <string_view>

#include "sim/SimConfig.h"

namespace simras {

void SetModule(HMODULE module);

// Reads the phone book afresh (tests rewrite it between calls); a missing file is an empty book.
// Lines that cannot be used are logged.
SimConfig LoadConfig();

std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// Appends one line (UTF-8, without its newline) to the log file and closes it again, so a reader
// sees every line as soon as the call returns.
void LogLine(const std::string& line);

} // namespace simras
