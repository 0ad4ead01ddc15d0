#pragma once

// The bytes of one INI file, parsed the way the platform's private-profile calls parse it,
// and edited in place so that every line the program does not change stays as it was. As a
// ProfileStore it is the settings file in memory (IniFile loads one for every call).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ProfileStore.h"

namespace store {

class IniDocument : public ProfileStore {
public:
    explicit IniDocument(std::string bytes = {});

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override;
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    // Always succeeds: the bytes are only in memory.
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    KeyValueList ReadSection(const std::string& section) const override;

    const std::string& Bytes() const { return bytes_; }

    // The value of the first key of that name in the first section of that name (names
    // trimmed, any case); nothing when there is none or its line has no "=".
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // The keys of the first section of that name in file order, as GetPrivateProfileSectionA
    // lists them: comment lines (";") left out, a line without "=" as a key with an empty
    // value, values as stored (quotes kept, not cut).
    KeyValueList Section(std::string_view section) const;

    // Sets the value (surrounding blanks dropped) of the first such key, or adds the key at the
    // end of its section, or the section at the end of the file. New and changed lines are
    // "key=value" with CRLF. False when the value was already there (nothing changed).
    bool Set(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line {
        std::size_t begin = 0;      // first byte of the line
        std::size_t contentEnd = 0; // first byte of the terminator
        std::size_t next = 0;       // first byte of the following line
        bool blank = false;         // nothing but blanks
        bool isSection = false;
        bool isKey = false;
        bool hasValue = false;
        std::string name;   // section or key name as stored
        std::string folded; // name for matching
        std::string value;
    };
    struct SectionSpan {
        std::string folded;
        std::size_t header = 0;    // index of the header line; npos for keys before any
        std::size_t firstLine = 0; // first line after the header
        std::size_t endLine = 0;   // one past the last line of the section
    };

    void Parse();
    const SectionSpan* FindSection(std::string_view foldedName) const;
    const Line* FindKey(const SectionSpan& span, std::string_view foldedName) const;

    std::string bytes_;
    std::vector<Line> lines_;
    std::vector<SectionSpan> sections_;
};

} // namespace store
