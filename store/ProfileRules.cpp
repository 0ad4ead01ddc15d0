#include "store/ProfileRules.h"

#include <cstdint>

namespace store::rules {

namespace {

constexpr std::size_t kIntBufferChars = 30; // GetPrivateProfileIntW reads into 30 characters

// The platform's copy of a value into len characters (PROFILE_CopyEntry with quote
// stripping): the quote test looks at the whole value, the cut happens before the closing
// quote is dropped, so a cut value can lose its last real character too.
std::string CopyEntry(std::string_view value, std::size_t len) {
    if (len == 0) {
        return {};
    }
    bool quoted = false;
    if (value.size() > 1 && (value[0] == '"' || value[0] == '\'')) {
        std::size_t last = 0;
        for (std::size_t pos = 0; pos < value.size(); pos += CharBytes(value, pos)) {
            last = pos;
        }
        if (last == value.size() - 1 && value[last] == value[0]) {
            quoted = true;
            value.remove_prefix(1);
        }
    }
    std::size_t chars = 0;
    std::size_t pos = 0;
    std::size_t lastStart = 0;
    while (pos < value.size() && chars + 1 < len) {
        lastStart = pos;
        pos += CharBytes(value, pos);
        ++chars;
    }
    std::size_t valueChars = chars;
    for (std::size_t rest = pos; rest < value.size(); rest += CharBytes(value, rest)) {
        ++valueChars;
    }
    std::size_t end = pos;
    if (quoted && len >= valueChars && chars > 0) {
        end = lastStart;
    }
    return std::string(value.substr(0, end));
}

// The conversion back to the caller's code page fills at most maxBytes and never writes
// half of a double-byte character.
std::string FitBytes(std::string text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + CharBytes(text, pos);
        if (next > maxBytes) {
            break;
        }
        pos = next;
    }
    text.resize(pos);
    return text;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

std::size_t FindChar(std::string_view text, char c, std::size_t from) {
    for (std::size_t pos = from; pos < text.size(); pos += CharBytes(text, pos)) {
        if (text[pos] == c) {
            return pos;
        }
    }
    return std::string_view::npos;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    // A trailing byte is a blank only when it is not the second byte of a pair.
    std::size_t end = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t bytes = CharBytes(text, pos);
        pos += bytes;
        if (bytes == 2 || !IsBlank(text[pos - 1])) {
            end = pos;
        }
    }
    return text.substr(0, end);
}

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (std::size_t pos = 0; pos < folded.size(); pos += CharBytes(folded, pos)) {
        const char c = folded[pos];
        if (c >= 'A' && c <= 'Z') {
            folded[pos] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

std::string ValueAsRead(std::string_view raw, std::size_t bufferChars) {
    if (bufferChars == 0) {
        return {};
    }
    return FitBytes(CopyEntry(raw, bufferChars), bufferChars - 1);
}

std::string FallbackAsRead(std::string_view fallback, std::size_t bufferChars) {
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.remove_suffix(1);
    }
    return ValueAsRead(fallback, bufferChars);
}

int IntAsRead(const std::optional<std::string_view>& raw, int fallback) {
    if (!raw) {
        return fallback;
    }
    const std::string text = CopyEntry(*raw, kIntBufferChars);
    if (text.empty()) {
        return fallback;
    }
    return ParseProfileInt(text);
}

int ParseProfileInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') {
        ++pos;
    }
    bool minus = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        minus = text[pos] == '-';
        ++pos;
    }
    std::uint32_t base = 10;
    if (text.size() - pos >= 2 && text[pos] == '0') {
        const char prefix = text[pos + 1];
        if (prefix == 'b' || prefix == 'o' || prefix == 'x') {
            base = prefix == 'b' ? 2 : prefix == 'o' ? 8 : 16;
            pos += 2;
        }
    }
    std::uint32_t total = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) {
            break;
        }
        total = total * base + static_cast<std::uint32_t>(digit);
    }
    if (minus) {
        total = 0u - total;
    }
    return static_cast<int>(total);
}

} // namespace store::rules
