#pragma once

// The bytes of one INI file, parsed the way the platform's private-profile calls parse it,
// and edited in place so that every line the program does not change stays as it was. As a
// ProfileStore it is the settings file in memory (SettingsFile keeps one between calls).
//
// The parse is an index into the bytes (no text is copied per line). An edit changes the
// bytes and the index of its own lines only, unless it changes how the lines around it parse;
// then the whole document is parsed again, so the index always matches a fresh parse.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
    // size costs about one copy of the document; each added or removed key costs one more.
    // False when nothing changed.
    bool Apply(const ProfileEdits& edits);

    // At least the number of lines the bytes parse into.
    static std::size_t LineCountBound(std::string_view bytes);

private:
    struct Line {
        std::size_t begin = 0; // first byte of the line
        std::size_t next = 0;  // first byte of the following line
        std::size_t nameBegin = 0;
        std::size_t nameSize = 0; // section or key name as stored, up to a NUL
        std::size_t valueBegin = 0;
        std::size_t valueSize = 0;  // value without surrounding blanks, up to a NUL
        std::uint32_t nameHash = 0; // of the case-folded name, for sections and keys
        bool terminated = false;    // ends in CR, LF or CRLF (the last line may not)
        bool blank = false;         // nothing but blanks
        bool isSection = false;
        bool isKey = false;
        bool hasValue = false;
        bool unnamed = false; // a key line whose name is empty
    };
    struct SectionSpan {
        std::size_t header = 0;    // index of the header line; npos for keys before any
        std::size_t firstLine = 0; // first line after the header
        std::size_t endLine = 0;   // one past the last line of the section
    };
    struct Pending; // a new value for an existing key line, not yet in the bytes
    class KeyIndex;

    static Line ParseLine(std::string_view all, std::size_t start, bool previousKeyUnnamed);
    static bool UnnamedAfter(const Line& line, bool before);
    void Parse();
    bool UnnamedBefore(std::size_t lineIndex) const;

    std::string_view NameOf(const Line& line) const;
    std::string_view ValueOf(const Line& line) const;
    std::string_view SectionName(const SectionSpan& span) const;
    std::size_t FindSection(std::string_view foldedName, std::size_t from = 0) const;
    std::size_t FindKey(const SectionSpan& span, std::string_view foldedName) const;
    std::size_t LastNonBlank(const SectionSpan& span) const;

    // Replaces the count lines from first (none: inserts at byte offset at, the start of line
    // first or the end) with text, and brings the index up to date.
    void Splice(std::size_t first, std::size_t count, std::size_t at, std::string_view text);
    bool SetOne(std::string_view section, std::string_view key, std::string_view value);
    void WritePending(std::vector<Pending>& pending);

    std::string bytes_;
    std::vector<Line> lines_;
    std::vector<SectionSpan> sections_;
};

} // namespace store
