#include "store/IniDocument.h"

#include "store/ProfileRules.h"

namespace store {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Names and values end at a NUL as the platform's C strings do.
std::string UpToNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::size_t FindLastChar(std::string_view text, char c) {
    std::size_t found = npos;
    for (std::size_t pos = 0; pos < text.size(); pos += rules::CharBytes(text, pos)) {
        if (text[pos] == c) {
            found = pos;
        }
    }
    return found;
}

} // namespace

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) {
    Parse();
}

std::string IniDocument::ReadString(const std::string& section, const std::string& key,
                                    const std::string& fallback, std::size_t bufferChars) const {
    if (const auto value = Find(section, key)) {
        return rules::ValueAsRead(*value, bufferChars);
    }
    return rules::FallbackAsRead(fallback, bufferChars);
}

int IniDocument::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    return rules::IntAsRead(Find(section, key), fallback);
}

bool IniDocument::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    Set(section, key, value);
    return true;
}

KeyValueList IniDocument::ReadSection(const std::string& section) const {
    return Section(section);
}

void IniDocument::Parse() {
    lines_.clear();
    sections_.clear();
    const std::string_view all(bytes_);
    std::size_t start = 0;
    // A UTF-8 byte order mark is skipped like the platform skips it.
    if (all.substr(0, 3) == kByteOrderMark) {
        start = 3;
    }
    sections_.push_back(SectionSpan{std::string(), npos, 0, 0});
    bool previousKeyUnnamed = false;
    while (start < all.size()) {
        Line line;
        line.begin = start;
        std::size_t pos = start;
        // Lines end at CR or LF (a pair's trail byte is never one of them).
        while (pos < all.size() && all[pos] != '\r' && all[pos] != '\n') {
            pos += rules::CharBytes(all, pos);
        }
        line.contentEnd = pos;
        if (pos < all.size()) {
            pos += (all[pos] == '\r' && pos + 1 < all.size() && all[pos + 1] == '\n') ? 2 : 1;
        }
        line.next = pos;
        start = pos;

        const std::string_view text =
            rules::TrimBlanks(all.substr(line.begin, line.contentEnd - line.begin));
        line.blank = text.empty();
        if (!text.empty() && text[0] == '[') {
            const std::size_t close = FindLastChar(text, ']');
            if (close != npos) {
                line.isSection = true;
                line.name = UpToNul(rules::TrimBlanks(text.substr(1, close - 1)));
                line.folded = rules::FoldCase(line.name);
                sections_.back().endLine = lines_.size();
                sections_.push_back(
                    SectionSpan{line.folded, lines_.size(), lines_.size() + 1, lines_.size() + 1});
                previousKeyUnnamed = false;
                lines_.push_back(std::move(line));
                continue;
            }
        }
        if (!text.empty()) {
            const std::size_t equals = rules::FindChar(text, '=');
            std::string_view name = text;
            if (equals != npos) {
                name = rules::TrimBlanks(text.substr(0, equals));
                line.hasValue = true;
                line.value = UpToNul(rules::TrimBlanks(text.substr(equals + 1)));
            }
            line.name = UpToNul(name);
            // The platform keeps only the first of consecutive unnamed keys.
            const bool unnamed = name.empty();
            if (!(unnamed && previousKeyUnnamed)) {
                line.isKey = true;
                line.folded = rules::FoldCase(line.name);
            }
            previousKeyUnnamed = unnamed;
        }
        lines_.push_back(std::move(line));
    }
    sections_.back().endLine = lines_.size();
}

const IniDocument::SectionSpan* IniDocument::FindSection(std::string_view foldedName) const {
    for (const SectionSpan& span : sections_) {
        if (span.folded == foldedName) {
            return &span;
        }
    }
    return nullptr;
}

const IniDocument::Line* IniDocument::FindKey(const SectionSpan& span,
                                              std::string_view foldedName) const {
    for (std::size_t i = span.firstLine; i < span.endLine; ++i) {
        if (lines_[i].isKey && lines_[i].folded == foldedName) {
            return &lines_[i];
        }
    }
    return nullptr;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
    const SectionSpan* span = FindSection(rules::FoldCase(rules::TrimBlanks(section)));
    if (span == nullptr) {
        return std::nullopt;
    }
    const Line* line = FindKey(*span, rules::FoldCase(rules::TrimBlanks(key)));
    if (line == nullptr || !line->hasValue) {
        return std::nullopt;
    }
    return std::string_view(line->value);
}

KeyValueList IniDocument::Section(std::string_view section) const {
    KeyValueList entries;
    // The section listing compares the name as given, without trimming it.
    const SectionSpan* span = FindSection(rules::FoldCase(section));
    if (span == nullptr) {
        return entries;
    }
    for (std::size_t i = span->firstLine; i < span->endLine; ++i) {
        const Line& line = lines_[i];
        if (!line.isKey || (line.name.empty() && !line.hasValue) ||
            (!line.name.empty() && line.name[0] == ';')) {
            continue;
        }
        entries.emplace_back(line.name, line.value);
    }
    return entries;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    // The platform drops the leading blanks at once and the trailing ones when it next
    // rewrites the file; a read never sees either.
    value = rules::TrimBlanks(value);
    const std::string_view sectionName = rules::TrimBlanks(section);
    const std::string_view keyName = rules::TrimBlanks(key);
    const SectionSpan* span = FindSection(rules::FoldCase(sectionName));

    if (span != nullptr) {
        if (const Line* line = FindKey(*span, rules::FoldCase(keyName))) {
            if (line->hasValue && line->value == value) {
                return false;
            }
            std::string replacement = line->name + "=" + std::string(value) + "\r\n";
            bytes_.replace(line->begin, line->next - line->begin, replacement);
            Parse();
            return true;
        }
        // After the section's last non-blank line, so blank lines before the next header stay
        // where they are.
        std::size_t after = span->header;
        for (std::size_t i = span->firstLine; i < span->endLine; ++i) {
            if (!lines_[i].blank) {
                after = i;
            }
        }
        std::string insertion;
        std::size_t at = std::string_view(bytes_).substr(0, 3) == kByteOrderMark ? 3 : 0;
        if (after != npos) {
            at = lines_[after].next;
            if (lines_[after].next == lines_[after].contentEnd) {
                insertion = "\r\n"; // the line had no terminator (end of file)
            }
        }
        insertion += std::string(keyName) + "=" + std::string(value) + "\r\n";
        bytes_.insert(at, insertion);
        Parse();
        return true;
    }

    std::string addition;
    if (!lines_.empty() && lines_.back().next == lines_.back().contentEnd) {
        addition = "\r\n";
    }
    addition += "[" + std::string(sectionName) + "]\r\n" + std::string(keyName) + "=" +
                std::string(value) + "\r\n";
    bytes_ += addition;
    Parse();
    return true;
}

} // namespace store
