#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace store {

using KeyValueList = std::vector<std::pair<std::string, std::string>>;

// One change of a batch: a value to store, or no value to remove the key.
struct ProfileEdit {
    std::string section;
    std::string key;
    std::optional<std::string> value;
};
using ProfileEdits = std::vector<ProfileEdit>;

// Called with each entry of a section as ReadSection lists it; the texts live only for the
// call.
using SectionVisitor = std::function<void(std::string_view key, std::string_view value)>;

// Whether the file behind a store can be used. A file that is too large or cannot be read is
// never written over (its records would be lost): reads give what a missing file gives and
// every write fails. Unconvertible: in a Unicode encoding whose text the program's code page
// cannot hold whole.
enum class FileState { Readable, TooLarge, Unreadable, Unconvertible };

// One INI file, read and written with the semantics of the platform's private-profile calls:
// section and key names match without regard to case, and every call is complete on return
// (nothing is held open between calls).
class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // The value of key, or fallback when the section or key is missing. Like the platform's
    // call, the result holds at most bufferChars - 1 characters.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& fallback, std::size_t bufferChars) const = 0;

    // The value read as a number; fallback when the key is missing or its value is empty.
    virtual int ReadInt(const std::string& section, const std::string& key, int fallback) const = 0;

    // Creates the file, section and key as needed. False when the file could not be written.
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;

    // The edits in order, as WriteString (or the platform's removal of a key) would make them
    // one after the other, but as one write: the file holds all of them or none. A removed
    // key's line goes; its section stays. False when the file could not be written.
    virtual bool WriteBatch(const ProfileEdits& edits) = 0;

    // Every key of the section with its value, in file order, in one read of the file, as the
    // platform lists a section: values as stored (quotes kept, not cut), comment lines (";")
    // left out, a line without "=" as a key with an empty value.
    virtual KeyValueList ReadSection(const std::string& section) const = 0;

    // The entries ReadSection would list, without copying them.
    virtual void VisitSection(const std::string& section, const SectionVisitor& visit) const {
        for (const auto& [key, value] : ReadSection(section)) {
            visit(key, value);
        }
    }

    // Asked anew on every call: the file may change between calls.
    virtual FileState State() const { return FileState::Readable; }

    // Where the store lives, to name it to the user; empty when it is nowhere on disk.
    virtual std::string Location() const { return {}; }

    // Whether writes that failed are held in memory (reads give them), and the attempt to
    // write them now; true when nothing is held any more.
    virtual bool HasUnsaved() const { return false; }
    virtual bool WriteUnsaved() { return true; }
};

} // namespace store
