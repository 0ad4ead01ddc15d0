#pragma once

// One line of an INI file as the platform's private-profile calls read it, and the comparison
// of names without regard to case. Text is code page 936 (see ProfileRules.h). A line is held
// as offsets into the file's bytes: no text is copied per line.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace store::ini {

// Where the first line starts: after a UTF-8 byte order mark, which the platform skips.
inline std::size_t FirstLineStart(std::string_view bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    return bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
}

struct Line {
    std::size_t begin = 0; // first byte of the line
    std::size_t next = 0;  // first byte of the following line
    std::size_t nameBegin = 0;
    std::size_t nameSize = 0; // section or key name as stored, up to a NUL
    std::size_t valueBegin = 0;
    std::size_t valueSize = 0;  // value without surrounding blanks, up to a NUL
    std::uint32_t nameHash = 0; // FoldedHash of the name, for sections and keys
    bool terminated = false;    // ends in CR, LF or CRLF (the last line may not)
    bool blank = false;         // nothing but blanks
    bool isSection = false;
    bool isKey = false;
    bool hasValue = false;
    bool unnamed = false;        // a key line whose name is empty
    bool lastKeyUnnamed = false; // the last non-blank line up to this one is such a key line
};

// The line of all that starts at start. previousKeyUnnamed is lastKeyUnnamed of the line before
// (false for the first): the platform keeps only the first of consecutive unnamed keys.
Line ParseLine(std::string_view all, std::size_t start, bool previousKeyUnnamed);

// At least the number of lines the bytes parse into.
std::size_t LineCountBound(std::string_view bytes);

// rules::FoldCase(raw) == folded, without building the folded text.
bool FoldedEquals(std::string_view raw, std::string_view folded);

// FNV-1a of rules::FoldCase(raw); folding a folded name changes nothing, so a folded query
// hashes like every raw spelling of it.
std::uint32_t FoldedHash(std::string_view raw);

} // namespace store::ini
