#pragma once

// What the simulated service's calls share: the record versions it accepts, the pieces of its
// log lines and the phone book's names as the caller sees them.

#include <windows.h>
#include <ras.h>

#include <cstddef>
#include <string>
#include <vector>

#include "dialer/RasRecords_win.h"
#include "sim/SimConfig.h"
#include "sim/SimEnv_win.h"

namespace simras {

// Record versions the service accepts, as earlier and current headers declare them.
inline constexpr DWORD kEntryNameSizes[] = {ras::kEntryNameSize, 532};
inline constexpr DWORD kDialParamsSizes[] = {ras::kDialParamsSize, 1060, 1064};
inline constexpr DWORD kConnStatusSizes[] = {ras::kConnStatusSize, 288};

template <std::size_t N> bool IsOneOf(DWORD value, const DWORD (&sizes)[N]) {
    for (DWORD size : sizes) {
        if (value == size)
            return true;
    }
    return false;
}

inline std::string Hex(DWORD value) {
    char text[16];
    wsprintfA(text, "0x%X", value);
    return text;
}

inline std::string Num(DWORD value) {
    return std::to_string(value);
}

inline std::string HandleText(DWORD id) {
    return std::to_string(id);
}

// A possibly unterminated ANSI field of a caller's record, as UTF-8 for the log.
inline std::string Field(const char* text, std::size_t capacity) {
    std::size_t len = 0;
    while (len < capacity && text[len] != '\0')
        ++len;
    return simras::AnsiToUtf8(std::string_view(text, len));
}

inline std::string NullOr(const char* text) {
    return text ? QuoteForLog(simras::AnsiToUtf8(text)) : std::string("null");
}

// The names of the phone book as the caller sees them: in the ANSI code page, in file order.
struct AnsiEntry {
    std::string ansi;
    std::string utf8;
};

inline std::vector<AnsiEntry> AnsiEntries(const SimConfig& config) {
    std::vector<AnsiEntry> names;
    for (const std::string& name : config.entries) {
        std::string ansi = Utf8ToAnsi(name);
        if (ansi.size() > RAS_MaxEntryName) {
            LogLine("config error entry=" + QuoteForLog(name) +
                    " message=\"name longer than 256 bytes in the ANSI code page\"");
            continue;
        }
        names.push_back({ansi, name});
    }
    return names;
}

} // namespace simras
