#pragma once

// What the interop check writes and reads, shared by the native ini_tool and the Win32
// profile_check.exe so that both sides do exactly the same calls.

#include <string>
#include <utility>
#include <vector>

#include "store/ProfileStore.h"

namespace interop {

// Writes of every kind of value the program stores (code page 936 text, spaces, quotes,
// empty values, numbers), rewrites under other spellings of the names, batches with removals,
// and the record operations (append, clear, the running connection saved, ended, recovered).
void WriteCases(store::ProfileStore& settings);

// Every read the program can make of the sections and keys involved, with a range of buffer
// sizes, as text: bytes outside printable ASCII are written as \xHH.
std::string DumpCases(const store::ProfileStore& settings);

// Hand-made files in the shapes a user or another tool could leave.
std::vector<std::pair<std::string, std::string>> Fixtures();

// A settings file holding records 1 ... count.
std::string FileWithRecords(int count);

// The record AppendLoop writes as number n.
std::string LoopRecord(int n);

// Appends the records LoopRecord(n) for n = counter + 1, + 2, ... for ever, as a hang-up
// does, printing n after each.
[[noreturn]] void AppendLoop(store::ProfileStore& settings);

// What a file a killed AppendLoop left must be: each of data[1] ... data[counter] the record
// written under its number, or missing where a kill came between a counter and its record
// (*missing counts them). Empty when it is; else what is wrong.
std::string CheckAppended(const store::ProfileStore& settings, int* missing);

} // namespace interop
