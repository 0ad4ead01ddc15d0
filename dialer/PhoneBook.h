#pragma once

// Listing the phone book's entries with the platform's two-call enumeration; the call itself
// is the caller's (RasService_win.cpp makes it).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dialer {

// One entry-name record as the program passes it: its 32-bit size, then the name field.
inline constexpr std::size_t kEntryRecordSize = 264;
inline constexpr std::size_t kEntryNameOffset = 4;
inline constexpr std::size_t kEntryNameField = 257; // the name and its terminator

// One call of the enumeration: records has room for *bytes bytes and its first record's size
// set; the call sets *bytes to what all entries need and *count to the records it filled.
using EnumerateEntries =
    std::function<void(unsigned char* records, std::uint32_t* bytes, std::uint32_t* count)>;

// The entry names in the order enumerated. A first call with room for one record learns the
// byte count; the second gets that much room in whole records, never less than one. The
// results of the calls are not looked at: the count decides, but never beyond the room handed
// over, and a name is cut to its field.
std::vector<std::string> ListEntryNames(const EnumerateEntries& enumerate);

} // namespace dialer
