#include "store/IniLine.h"

#include <string>

#include "store/ProfileRules.h"

namespace store::ini {

namespace {

constexpr std::size_t npos = std::string::npos;

// Names and values end at a NUL as the platform's C strings do.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

char FoldByte(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t OffsetIn(std::string_view all, std::string_view part) {
    return static_cast<std::size_t>(part.data() - all.data());
}

// Neither a blank, nor a byte of a double-byte character, nor "=" or "]": a byte that only
// extends the text of its line.
inline bool IsPlainByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x21 && byte <= 0x7E && c != '=' && c != ']';
}

} // namespace

Line ParseLine(std::string_view all, std::size_t start, bool previousKeyUnnamed) {
    // One walk by characters finds the line's end and, between its blanks, the text, its
    // first "=" and its last "]" (a pair's trail byte is never one of them).
    std::size_t first = npos;     // first byte that is not a blank
    std::size_t solidEnd = start; // end of the last character that is not a blank
    std::size_t equals = npos;
    std::size_t nameEnd = start; // solidEnd before the "="
    std::size_t close = npos;
    std::size_t sectionEnd = start; // solidEnd before the last "]"
    std::size_t pos = start;
    while (pos < all.size()) {
        const char c = all[pos];
        // A run of printable ASCII other than "=" and "]", most of a file, in one step.
        if (IsPlainByte(c)) {
            if (first == npos) {
                first = pos;
            }
            do {
                ++pos;
            } while (pos < all.size() && IsPlainByte(all[pos]));
            solidEnd = pos;
            continue;
        }
        if (c == '\r' || c == '\n') {
            break;
        }
        const std::size_t bytes = rules::CharBytes(all, pos);
        if (bytes == 2 || !rules::IsBlank(c)) {
            if (first == npos) {
                first = pos;
            }
            if (c == '=' && equals == npos) {
                equals = pos;
                nameEnd = solidEnd;
            } else if (c == ']' && bytes == 1) {
                close = pos;
                sectionEnd = solidEnd;
            }
            solidEnd = pos + bytes;
        }
        pos += bytes;
    }
    Line line;
    line.begin = start;
    const std::size_t contentEnd = pos;
    if (pos < all.size()) {
        pos += (all[pos] == '\r' && pos + 1 < all.size() && all[pos + 1] == '\n') ? 2 : 1;
    }
    line.next = pos;
    line.terminated = pos != contentEnd;
    line.nameBegin = line.valueBegin = start;
    line.blank = first == npos;
    if (line.blank) {
        line.lastKeyUnnamed = previousKeyUnnamed;
        return line;
    }
    // From..to without the blanks at its start (those at its end are already left out).
    auto between = [&all](std::size_t from, std::size_t to) {
        while (from < to && rules::IsBlank(all[from])) {
            ++from;
        }
        return all.substr(from, to > from ? to - from : 0);
    };
    if (all[first] == '[' && close != npos) {
        const std::string_view name = UpToNul(between(first + 1, sectionEnd));
        line.isSection = true;
        line.nameBegin = OffsetIn(all, name);
        line.nameSize = name.size();
        line.nameHash = FoldedHash(name);
        return line;
    }
    std::string_view name = all.substr(first, solidEnd - first);
    if (equals != npos) {
        name = between(first, nameEnd);
        const std::string_view value = UpToNul(between(equals + 1, solidEnd));
        line.hasValue = true;
        line.valueBegin = OffsetIn(all, value);
        line.valueSize = value.size();
    }
    line.unnamed = name.empty();
    line.lastKeyUnnamed = line.unnamed;
    name = UpToNul(name);
    line.nameBegin = OffsetIn(all, name);
    line.nameSize = name.size();
    // The platform keeps only the first of consecutive unnamed keys.
    if (!(line.unnamed && previousKeyUnnamed)) {
        line.isKey = true;
        line.nameHash = FoldedHash(name);
    }
    return line;
}

std::size_t LineCountBound(std::string_view bytes) {
    std::size_t count = 1;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        if (bytes[pos] == '\n' ||
            (bytes[pos] == '\r' && (pos + 1 == bytes.size() || bytes[pos + 1] != '\n'))) {
            ++count;
        }
    }
    return count;
}

bool FoldedEquals(std::string_view raw, std::string_view folded) {
    if (raw.size() != folded.size()) {
        return false;
    }
    for (std::size_t pos = 0; pos < raw.size();) {
        if (rules::CharBytes(raw, pos) == 1) {
            if (FoldByte(raw[pos]) != folded[pos]) {
                return false;
            }
            ++pos;
        } else {
            if (raw[pos] != folded[pos] || raw[pos + 1] != folded[pos + 1]) {
                return false;
            }
            pos += 2;
        }
    }
    return true;
}

std::uint32_t FoldedHash(std::string_view raw) {
    std::uint32_t hash = 2166136261u;
    auto add = [&hash](char c) { hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u; };
    for (std::size_t pos = 0; pos < raw.size();) {
        if (rules::CharBytes(raw, pos) == 1) {
            add(FoldByte(raw[pos]));
            ++pos;
        } else {
            add(raw[pos]);
            add(raw[pos + 1]);
            pos += 2;
        }
    }
    return hash;
}

} // namespace store::ini
