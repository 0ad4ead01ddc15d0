#pragma once

// The bytes of one INI file, parsed the way the platform's private-profile calls parse it,
// and edited in place so that every line the program does not change stays as it was. As a
// ProfileStore it is the settings file in memory (SettingsFile keeps one between calls).
//
// The parse is an index of the lines (IniLine.h) that always matches a fresh parse: an edit
// that adds or removes lines parses the bytes again from its first changed line on; new values
// for existing keys, which change no line's parse, are written in one pass that moves the lines
// after them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/IniLine.h"
#include "store/ProfileStore.h"

namespace store {

class IniDocument : public ProfileStore {
public:
    explicit IniDocument(std::string bytes = {});

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) const override;
    int ReadInt(const std::string& section, const std::string& key, int fallback) const override;
    // Always succeed: the bytes are only in memory.
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool WriteBatch(const ProfileEdits& edits) override;
    KeyValueList ReadSection(const std::string& section) const override;
    void VisitSection(const std::string& section, const SectionVisitor& visit) const override;

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

    // Removes the line of the first such key in the sections of that name, as the platform
    // removes a key written with no value; the section stays. False when there was none.
    bool Remove(std::string_view section, std::string_view key);

    // The edits in order, with the result of Set and Remove one after the other. New values
    // of existing keys are gathered and written in one pass over the bytes, so a batch of any
    // size costs about one copy of the document; each added or removed key costs one more, and
    // a parse of the lines from it on. False when nothing changed.
    bool Apply(const ProfileEdits& edits);

private:
    using Line = ini::Line;
    struct SectionSpan {
        std::size_t header = 0;    // index of the header line; npos for keys before any
        std::size_t firstLine = 0; // first line after the header
        std::size_t endLine = 0;   // one past the last line of the section
    };
    struct Pending; // a new value for an existing key line, not yet in the bytes
    class KeyIndex;

    // Parses the bytes again from the line that starts where the first change is (or the end),
    // keeping the parse of the lines before it.
    void ParseFrom(std::size_t changedLine);

    std::string_view NameOf(const Line& line) const;
    std::string_view ValueOf(const Line& line) const;
    std::string_view SectionName(const SectionSpan& span) const;
    std::size_t FindSection(std::string_view foldedName, std::size_t from = 0) const;
    std::size_t FindKey(const SectionSpan& span, std::string_view foldedName) const;
    std::size_t LastNonBlank(const SectionSpan& span) const;

    // Replaces the count lines from first (none: inserts at byte offset at, the start of line
    // first or the end) with text, and parses again from there.
    void ReplaceLines(std::size_t first, std::size_t count, std::size_t at, std::string_view text);
    bool SetOne(std::string_view section, std::string_view key, std::string_view value);
    void WritePending(std::vector<Pending>& pending);

    std::string bytes_;
    std::vector<Line> lines_;
    std::vector<SectionSpan> sections_;
};

} // namespace store
