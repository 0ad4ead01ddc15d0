#include "sim/SimConfig.h"

#include <cstdio>

namespace simras {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A '#' starts a comment only at the start of a line or after a blank, so names may hold '#'.
std::string_view StripComment(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || IsBlank(line[i - 1])))
            return line.substr(0, i);
    }
    return line;
}

// Decimal or 0x-prefixed hexadecimal, no sign, must fit 32 bits.
std::optional<std::uint32_t> ParseNumber(std::string_view s) {
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : s) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string_view> SplitBlanks(std::string_view s) {
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsBlank(s[i]))
            ++i;
        std::size_t start = i;
        while (i < s.size() && !IsBlank(s[i]))
            ++i;
        if (i > start)
            parts.push_back(s.substr(start, i - start));
    }
    return parts;
}

// "NAME N1 .. Nn": the numbers are the last `count` words, so names may hold blanks.
bool SplitNameAndNumbers(std::string_view value, std::size_t count, std::string_view* name,
                         std::uint32_t* numbers) {
    for (std::size_t i = count; i-- > 0;) {
        std::size_t blank = value.find_last_of(" \t");
        if (blank == std::string_view::npos)
            return false;
        std::optional<std::uint32_t> number = ParseNumber(value.substr(blank + 1));
        if (!number)
            return false;
        numbers[i] = *number;
        value = Trim(value.substr(0, blank));
    }
    *name = value;
    return !value.empty();
}

ByteCounts FindCounts(const std::map<std::string, ByteCounts>& byName, std::string_view name) {
    auto it = byName.find(std::string(name));
    return it == byName.end() ? ByteCounts() : it->second;
}

class Parser {
public:
    SimConfig Run(std::string_view text) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        int lineNo = 0;
        while (!text.empty()) {
            std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            ++lineNo;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            ParseLine(lineNo, Trim(StripComment(line)));
        }
        return std::move(config_);
    }

private:
    void Error(int line, std::string message) {
        config_.errors.push_back({line, std::move(message)});
    }

    void ParseLine(int lineNo, std::string_view line) {
        if (line.empty())
            return;
        if (line.front() == '[') {
            ParseSection(lineNo, line);
            return;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            Error(lineNo, "expected key = value");
            return;
        }
        std::string_view key = Trim(line.substr(0, eq));
        std::string_view value = Trim(line.substr(eq + 1));
        if (key == "entry") {
            AddEntry(lineNo, value);
            return;
        }
        if (key == "connection") {
            AddConnection(lineNo, value);
            return;
        }
        if (key == "traffic" || key == "counters_start") {
            AddCounts(lineNo, key, value);
            return;
        }
        if (key != "refuse" && key != "event" && key != "drop_after" && key != "after_hangup" &&
            key != "hangup_ms") {
            Error(lineNo, "unknown key '" + std::string(key) + "'");
            return;
        }
        if (skipSection_)
            return; // the bad section header was already reported
        if (!script_) {
            Error(lineNo, "'" + std::string(key) + "' outside a [dial] section");
            return;
        }
        if (key == "refuse")
            ParseRefuse(lineNo, value);
        else if (key == "event")
            ParseEvent(lineNo, value, script_->events);
        else if (key == "after_hangup")
            ParseEvent(lineNo, value, script_->afterHangUp);
        else if (key == "hangup_ms")
            ParseMs(lineNo, key, value, &script_->hangUpMs);
        else
            ParseDropAfter(lineNo, value);
    }

    void ParseSection(int lineNo, std::string_view line) {
        script_ = nullptr;
        skipSection_ = true;
        if (line.back() != ']') {
            Error(lineNo, "section header without ']'");
            return;
        }
        std::string_view inner = Trim(line.substr(1, line.size() - 2));
        if (inner == "dial") {
            if (!config_.commonScript)
                config_.commonScript.emplace();
            script_ = &*config_.commonScript;
        } else if (inner.size() > 4 && inner.substr(0, 4) == "dial" && IsBlank(inner[4])) {
            std::string name(Trim(inner.substr(5)));
            script_ = &config_.perEntry[name]; // a repeated section continues the same script
        } else {
            Error(lineNo, "unknown section '" + std::string(inner) + "'");
            return;
        }
        skipSection_ = false;
    }

    void AddEntry(int lineNo, std::string_view name) {
        if (name.empty()) {
            Error(lineNo, "empty entry name");
            return;
        }
        if (config_.HasEntry(name)) {
            Error(lineNo, "duplicate entry '" + std::string(name) + "'");
            return;
        }
        config_.entries.emplace_back(name);
    }

    void AddConnection(int lineNo, std::string_view value) {
        std::string_view name;
        std::uint32_t elapsedS = 0;
        if (!SplitNameAndNumbers(value, 1, &name, &elapsedS)) {
            Error(lineNo, "connection needs NAME ELAPSED_S");
            return;
        }
        if (config_.HasConnection(name)) {
            Error(lineNo, "duplicate connection '" + std::string(name) + "'");
            return;
        }
        config_.connections.push_back({std::string(name), elapsedS});
    }

    void AddCounts(int lineNo, std::string_view key, std::string_view value) {
        const bool rates = key == "traffic";
        std::string_view name;
        std::uint32_t numbers[2] = {};
        if (!SplitNameAndNumbers(value, 2, &name, numbers)) {
            Error(lineNo, rates ? "traffic needs NAME RX_PER_S TX_PER_S"
                                : "counters_start needs NAME RX TX");
            return;
        }
        auto& byName = rates ? config_.trafficPerS : config_.countersStart;
        if (!byName.emplace(std::string(name), ByteCounts{numbers[0], numbers[1]}).second)
            Error(lineNo, "duplicate " + std::string(key) + " for '" + std::string(name) + "'");
    }

    void ParseRefuse(int lineNo, std::string_view value) {
        std::optional<std::uint32_t> code = ParseNumber(value);
        if (!code || *code == 0) {
            Error(lineNo, "refuse needs a non-zero error code");
            return;
        }
        script_->refuseCode = *code;
    }

    void ParseEvent(int lineNo, std::string_view value, std::vector<DialEvent>& events) {
        std::vector<std::string_view> parts = SplitBlanks(value);
        if (parts.size() < 2 || parts.size() > 3) {
            Error(lineNo, "event needs STATE DELAY_MS [ERROR]");
            return;
        }
        std::optional<std::uint32_t> state = ParseNumber(parts[0]);
        std::optional<std::uint32_t> delay = ParseNumber(parts[1]);
        std::optional<std::uint32_t> error =
            parts.size() == 3 ? ParseNumber(parts[2]) : std::optional<std::uint32_t>(0);
        if (!state || !delay || !error) {
            Error(lineNo, "event values must be numbers");
            return;
        }
        events.push_back({*state, *delay, *error});
    }

    void ParseMs(int lineNo, std::string_view key, std::string_view value, std::uint32_t* out) {
        std::optional<std::uint32_t> ms = ParseNumber(value);
        if (!ms) {
            Error(lineNo, std::string(key) + " needs a number of milliseconds");
            return;
        }
        *out = *ms;
    }

    void ParseDropAfter(int lineNo, std::string_view value) {
        std::optional<std::uint32_t> ms = ParseNumber(value);
        if (!ms) {
            Error(lineNo, "drop_after needs a number of milliseconds");
            return;
        }
        script_->dropAfterMs = *ms;
    }

    SimConfig config_;
    DialScript* script_ = nullptr; // the section being read; null before the first one
    bool skipSection_ = false;
};

} // namespace

bool SimConfig::HasEntry(std::string_view name) const {
    for (const std::string& entry : entries) {
        if (entry == name)
            return true;
    }
    return false;
}

bool SimConfig::HasConnection(std::string_view name) const {
    for (const OutsideConnection& connection : connections) {
        if (connection.name == name)
            return true;
    }
    return false;
}

ByteCounts SimConfig::TrafficFor(std::string_view name) const {
    return FindCounts(trafficPerS, name);
}

ByteCounts SimConfig::CountersStartFor(std::string_view name) const {
    return FindCounts(countersStart, name);
}

DialScript SimConfig::ScriptFor(std::string_view name) const {
    auto it = perEntry.find(std::string(name));
    if (it != perEntry.end())
        return it->second;
    if (commonScript)
        return *commonScript;
    return DefaultDialScript();
}

DialScript DefaultDialScript() {
    DialScript script;
    for (std::uint32_t state : {0u, 1u, 2u, 3u, 4u, 5u, 14u, 0x2000u})
        script.events.push_back({state, 150, 0});
    return script;
}

SimConfig ParseSimConfig(std::string_view text) {
    return Parser().Run(text);
}

std::string QuoteForLog(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace simras
