#pragma once

// How the platform's private-profile calls treat the text of an INI file, so that the native
// reader and the record scan give what GetPrivateProfileStringA / GetPrivateProfileIntA give
// on the same bytes. Text is code page 936: a byte 0x81-0xFE and the byte after it are one
// character (the platform converts to UTF-16 and back, so it counts and cuts by characters).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace store::rules {

// Blanks trimmed around lines, names and values: space, \t \n \v \f \r and ^Z (DOS EOF).
// (Inline, as the two below: the parser asks them for every byte of the file.)
inline bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

inline bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

// Bytes of the character starting at pos: 2 for a lead byte followed by any byte, else 1.
inline std::size_t CharBytes(std::string_view text, std::size_t pos) {
    return IsLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

// Position of the first single-byte character c at or after from (the start of a character),
// never a trail byte that happens to equal c; npos when there is none.
std::size_t FindChar(std::string_view text, char c, std::size_t from = 0);

std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);

// For matching section and key names without regard to case: ASCII letters lowered. The
// platform leaves the letters of double-byte characters (full-width, Greek, Cyrillic) as they
// are, and so does this; a trail byte is never taken for a letter.
std::string FoldCase(std::string_view name);

// A stored value (or fallback) as a read into a buffer of bufferChars characters gives it:
// one pair of matching surrounding quotes (" or ') stripped, at most bufferChars - 1
// characters, and at most bufferChars - 1 bytes without a split double-byte character.
std::string ValueAsRead(std::string_view raw, std::size_t bufferChars);

// The fallback text as the platform uses it: trailing spaces removed, then as a value.
std::string FallbackAsRead(std::string_view fallback, std::size_t bufferChars);

// GetPrivateProfileIntA on a value (nullopt when the key is missing): the value as read into
// 30 characters; fallback when that is empty; else its number (ParseProfileInt).
int IntAsRead(const std::optional<std::string_view>& raw, int fallback);

// RtlUnicodeStringToInteger with base 0: control characters and spaces skipped, one sign,
// a lower-case 0x / 0o / 0b prefix, digits up to the first that does not fit; 32-bit wrap.
int ParseProfileInt(std::string_view text);

} // namespace store::rules
