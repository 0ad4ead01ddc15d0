#pragma once

// What a stored connection was, kept beside its record: the phone-book entry, whether this
// program dialed it, and the bytes it moved.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

enum class ConnectionOrigin {
    Dialed,    // by this program
    TakenOver, // dialed elsewhere, followed by this program
};

struct ConnectionDetail {
    std::string entry; // code page 936
    ConnectionOrigin origin = ConnectionOrigin::Dialed;
    std::optional<std::uint64_t> received; // bytes; nothing when the line gave no figures
    std::optional<std::uint64_t> sent;
    bool operator==(const ConnectionDetail& other) const {
        return entry == other.entry && origin == other.origin && received == other.received &&
               sent == other.sent;
    }
};

// "dialed,RECEIVED,SENT,ENTRY" or "taken,RECEIVED,SENT,ENTRY": decimal bytes, empty when
// unknown. The entry comes last, so the commas it may hold need no quoting; a line break or NUL
// in it, which no settings value can hold, becomes a space.
std::string FormatConnectionDetail(const ConnectionDetail& detail);

// Nothing unless the text is that form: an origin word other than those two, a count that is
// not plain decimal digits within 64 bits, or a line break anywhere refuses the whole text.
std::optional<ConnectionDetail> ParseConnectionDetail(std::string_view text);

// Room for the longest phone-book entry name (256 bytes) and both counts, twice over.
inline constexpr std::size_t kDetailBufferChars = 1024;

} // namespace store
