#pragma once

// What the simulated service's calls share: the record versions it accepts, the pieces of its
// log lines and the phone book's names as the caller sees them.

#include <windows.h>
#include <ras.h>

#include <cstddef>
#include <optional>
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
// RASCONNA as declared for Windows NT 4.0 (0x400), 0x401, 2000 (0x500) and XP (0x501): the same
// fields, each version adding some at the end.
inline constexpr DWORD kConnSizes[] = {412, 676, 692, 704};
static_assert(sizeof(RASCONNA) == 704);

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

// Null, and logged, for a name that does not fit the records' name field.
inline std::optional<std::string> AnsiName(const std::string& utf8) {
    std::string ansi = Utf8ToAnsi(utf8);
    if (ansi.size() <= RAS_MaxEntryName)
        return ansi;
    LogLine("config error entry=" + QuoteForLog(utf8) +
            " message=\"name longer than 256 bytes in the ANSI code page\"");
    return std::nullopt;
}

inline std::vector<AnsiEntry> AnsiEntries(const SimConfig& config) {
    std::vector<AnsiEntry> names;
    for (const std::string& name : config.entries) {
        if (std::optional<std::string> ansi = AnsiName(name))
            names.push_back({*ansi, name});
    }
    return names;
}

} // namespace simras
