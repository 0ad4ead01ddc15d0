#pragma once

// What the interop check writes and reads, shared by the native ini_tool and the Win32
// profile_check.exe so that both sides do exactly the same calls.

#include <string>
#include <utility>
#include <vector>

#include "store/ProfileStore.h"

namespace interop {

// Writes of every kind of value the program stores (code page 936 text, spaces, quotes,
// empty values, numbers), rewrites under other spellings of the names, and the record
// operations (append, clear, append).
void WriteCases(store::ProfileStore& settings);

// Every read the program can make of the sections and keys involved, with a range of buffer
// sizes, as text: bytes outside printable ASCII are written as \xHH.
std::string DumpCases(const store::ProfileStore& settings);

// Hand-made files in the shapes a user or another tool could leave.
std::vector<std::pair<std::string, std::string>> Fixtures();

} // namespace interop
