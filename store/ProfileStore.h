#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace store {

using KeyValueList = std::vector<std::pair<std::string, std::string>>;

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

    // Every key of the section with its value, in file order, in one read of the file, as the
    // platform lists a section: values as stored (quotes kept, not cut), comment lines (";")
    // left out, a line without "=" as a key with an empty value.
    virtual KeyValueList ReadSection(const std::string& section) const = 0;
};

} // namespace store
