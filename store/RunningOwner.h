#pragma once

// Which process saved the running connection. Two copies of the program can share one
// settings file (on Windows XP with fast user switching the system directory is every user's,
// while the one-copy check is per session): a start recovers a saved connection only when the
// process that saved it is gone, never the live connection of the other copy.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// A process id is used again once its process is gone: the time the process was created tells
// the one that saved from a later one with the same id.
struct ProcessIdentity {
    std::uint32_t id = 0;
    std::uint64_t created = 0; // the platform's units
    bool operator==(const ProcessIdentity& other) const {
        return id == other.id && created == other.created;
    }
};

// "id,created" in decimals.
std::string FormatProcessIdentity(const ProcessIdentity& process);
// Nothing unless the text is exactly that form.
std::optional<ProcessIdentity> ParseProcessIdentity(std::string_view text);

class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    virtual ProcessIdentity Current() const = 0;
    // True while that process runs, and when that cannot be told (the process of another user
    // may not be opened): a live connection is never taken for a finished one.
    virtual bool IsRunning(const ProcessIdentity& process) const = 0;
};

} // namespace store
