#pragma once

// The simulated RAS service's log, read back: one line per call and per event it delivered,
// "NAME key=value ... -> CODE key=value ...". Header-only so that the driver's build needs no
// new line for it.

#include "Text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct RasLogLine {
    std::string name;                       // the call or event: "RasDialA", "event", "drop"
    std::map<std::string, std::string> in;  // what was passed
    std::optional<long> result;             // the code after "->"
    std::map<std::string, std::string> out; // what was returned after the code
    std::string raw;                        // the line as written (UTF-8)

    // A value passed; empty when the line has no such key. Quoted strings are
    // unescaped and converted to ANSI like the tests' literals; a null pointer reads "null".
    std::optional<std::string> In(const std::string& key) const {
        const auto found = in.find(key);
        return found == in.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
};

namespace raslog_detail {

inline int HexDigit(char c) {
    static const char kDigits[] = "0123456789abcdef";
    const char* found =
        c ? std::strchr(kDigits, std::tolower(static_cast<unsigned char>(c))) : nullptr;
    return found ? static_cast<int>(found - kDigits) : -1;
}

// Reads one word from `at`: a bare run of non-blanks, or a "key=" followed by a quoted string
// whose escapes are undone. `quoted` tells which.
inline std::string NextWord(const std::string& line, size_t& at, bool& quoted) {
    quoted = false;
    std::string word;
    while (at < line.size() && line[at] != ' ') {
        if (line[at] != '"') {
            word += line[at++];
            continue;
        }
        quoted = true;
        std::string text;
        ++at;
        while (at < line.size() && line[at] != '"') {
            char c = line[at++];
            if (c == '\\' && at < line.size()) {
                const char escaped = line[at++];
                switch (escaped) {
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 'x':
                    if (at + 1 < line.size() && HexDigit(line[at]) >= 0 &&
                        HexDigit(line[at + 1]) >= 0) {
                        c = static_cast<char>(HexDigit(line[at]) * 16 + HexDigit(line[at + 1]));
                        at += 2;
                    }
                    break;
                default:
                    c = escaped;
                }
            }
            text += c;
        }
        ++at; // the closing quote
        word += Utf8ToAnsi(text);
    }
    while (at < line.size() && line[at] == ' ') {
        ++at;
    }
    return word;
}

} // namespace raslog_detail

inline RasLogLine ParseRasLogLine(const std::string& line) {
    RasLogLine parsed;
    parsed.raw = line;
    size_t at = 0;
    bool quoted = false;
    parsed.name = raslog_detail::NextWord(line, at, quoted);
    bool returned = false;
    while (at < line.size()) {
        const std::string word = raslog_detail::NextWord(line, at, quoted);
        if (!returned && word == "->" && !quoted) {
            returned = true;
            if (at < line.size()) {
                const std::string code = raslog_detail::NextWord(line, at, quoted);
                char* end = nullptr;
                const long value = std::strtol(code.c_str(), &end, 10);
                if (end && *end == '\0' && !code.empty()) {
                    parsed.result = value;
                }
            }
            continue;
        }
        const size_t equals = word.find('=');
        auto& values = returned ? parsed.out : parsed.in;
        if (equals == std::string::npos) {
            values[word] = "";
        } else {
            values[word.substr(0, equals)] = word.substr(equals + 1);
        }
    }
    return parsed;
}

// Every line of the log text (UTF-8, "\n" or "\r\n" line ends).
inline std::vector<RasLogLine> ParseRasLog(const std::string& text) {
    std::vector<RasLogLine> lines;
    for (const std::string& line : SplitLines(text)) {
        if (!line.empty()) {
            lines.push_back(ParseRasLogLine(line));
        }
    }
    return lines;
}

// The lines of one call or event, in log order.
inline std::vector<RasLogLine> RasLogLinesNamed(const std::vector<RasLogLine>& lines,
                                                const std::string& name) {
    std::vector<RasLogLine> named;
    for (const RasLogLine& line : lines) {
        if (line.name == name) {
            named.push_back(line);
        }
    }
    return named;
}

} // namespace e2e
