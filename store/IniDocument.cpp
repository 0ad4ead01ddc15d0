#include "store/IniDocument.h"

#include <algorithm>
#include <map>

#include "store/ProfileRules.h"

namespace store {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Up to this many edits a batch finds its keys by walking the section; above it, by an index.
constexpr std::size_t kSmallBatch = 16;

// Names and values end at a NUL as the platform's C strings do.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

char FoldByte(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// rules::FoldCase(raw) == folded, without building the folded text.
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

// FNV-1a of rules::FoldCase(raw); folding a folded name changes nothing, so a folded query
// hashes like every raw spelling of it.
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

std::size_t OffsetIn(std::string_view all, std::string_view part) {
    return static_cast<std::size_t>(part.data() - all.data());
}

} // namespace

// A new value for an existing key line, not yet in the bytes.
struct IniDocument::Pending {
    std::size_t line = 0;
    std::string text;  // the whole new line
    std::string value; // as a read finds it in text
};

// The key lines of a section by folded name, for batches too large to walk the section for
// every key. Valid while the lines stay where they are.
class IniDocument::KeyIndex {
public:
    std::size_t Find(const IniDocument& document, std::size_t span, std::string_view folded) {
        std::vector<Entry>& entries = BuiltFor(document, span);
        const std::uint32_t hash = FoldedHash(folded);
        auto it = std::lower_bound(entries.begin(), entries.end(), Entry{hash, 0});
        for (; it != entries.end() && it->first == hash; ++it) {
            if (FoldedEquals(document.NameOf(document.lines_[it->second]), folded)) {
                return it->second; // the first in file order: entries sort by line after hash
            }
        }
        return npos;
    }
    void Clear() { bySpan_.clear(); }

private:
    using Entry = std::pair<std::uint32_t, std::size_t>; // name hash, line
    std::vector<Entry>& BuiltFor(const IniDocument& document, std::size_t span) {
        auto found = bySpan_.find(span);
        if (found != bySpan_.end()) {
            return found->second;
        }
        std::vector<Entry>& entries = bySpan_[span];
        const SectionSpan& lines = document.sections_[span];
        for (std::size_t i = lines.firstLine; i < lines.endLine; ++i) {
            if (document.lines_[i].isKey) {
                entries.emplace_back(document.lines_[i].nameHash, i);
            }
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    std::map<std::size_t, std::vector<Entry>> bySpan_;
};

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

bool IniDocument::WriteBatch(const ProfileEdits& edits) {
    Apply(edits);
    return true;
}

KeyValueList IniDocument::ReadSection(const std::string& section) const {
    return Section(section);
}

void IniDocument::VisitSection(const std::string& section, const SectionVisitor& visit) const {
    // The section listing compares the name as given, without trimming it.
    const std::size_t span = FindSection(rules::FoldCase(section));
    if (span == npos) {
        return;
    }
    for (std::size_t i = sections_[span].firstLine; i < sections_[span].endLine; ++i) {
        const Line& line = lines_[i];
        const std::string_view name = NameOf(line);
        if (!line.isKey || (name.empty() && !line.hasValue) || (!name.empty() && name[0] == ';')) {
            continue;
        }
        visit(name, ValueOf(line));
    }
}

KeyValueList IniDocument::Section(std::string_view section) const {
    KeyValueList entries;
    VisitSection(std::string(section), [&entries](std::string_view key, std::string_view value) {
        entries.emplace_back(std::string(key), std::string(value));
    });
    return entries;
}

std::size_t IniDocument::LineCountBound(std::string_view bytes) {
    std::size_t count = 1;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        if (bytes[pos] == '\n' ||
            (bytes[pos] == '\r' && (pos + 1 == bytes.size() || bytes[pos + 1] != '\n'))) {
            ++count;
        }
    }
    return count;
}

namespace {

// Neither a blank, nor a byte of a double-byte character, nor "=" or "]": a byte that only
// extends the text of its line.
inline bool IsPlainByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x21 && byte <= 0x7E && c != '=' && c != ']';
}

} // namespace

IniDocument::Line IniDocument::ParseLine(std::string_view all, std::size_t start,
                                         bool previousKeyUnnamed) {
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

bool IniDocument::UnnamedAfter(const Line& line, bool before) {
    if (line.isSection) {
        return false;
    }
    return line.blank ? before : line.unnamed;
}

bool IniDocument::UnnamedBefore(std::size_t lineIndex) const {
    for (std::size_t i = lineIndex; i > 0; --i) {
        const Line& line = lines_[i - 1];
        if (!line.blank) {
            return UnnamedAfter(line, false);
        }
    }
    return false;
}

void IniDocument::Parse() {
    lines_.clear();
    sections_.clear();
    lines_.reserve(LineCountBound(bytes_));
    std::size_t start = 0;
    // A UTF-8 byte order mark is skipped like the platform skips it.
    if (std::string_view(bytes_).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        start = kByteOrderMark.size();
    }
    sections_.push_back(SectionSpan{npos, 0, 0});
    bool unnamed = false;
    while (start < bytes_.size()) {
        const Line line = ParseLine(bytes_, start, unnamed);
        unnamed = UnnamedAfter(line, unnamed);
        start = line.next;
        if (line.isSection) {
            sections_.back().endLine = lines_.size();
            sections_.push_back(SectionSpan{lines_.size(), lines_.size() + 1, lines_.size() + 1});
        }
        lines_.push_back(line);
    }
    sections_.back().endLine = lines_.size();
}

std::string_view IniDocument::NameOf(const Line& line) const {
    return std::string_view(bytes_).substr(line.nameBegin, line.nameSize);
}

std::string_view IniDocument::ValueOf(const Line& line) const {
    return std::string_view(bytes_).substr(line.valueBegin, line.valueSize);
}

std::string_view IniDocument::SectionName(const SectionSpan& span) const {
    return span.header == npos ? std::string_view() : NameOf(lines_[span.header]);
}

std::size_t IniDocument::FindSection(std::string_view foldedName, std::size_t from) const {
    const std::uint32_t hash = FoldedHash(foldedName);
    for (std::size_t i = from; i < sections_.size(); ++i) {
        const SectionSpan& span = sections_[i];
        if ((span.header == npos || lines_[span.header].nameHash == hash) &&
            FoldedEquals(SectionName(span), foldedName)) {
            return i;
        }
    }
    return npos;
}

std::size_t IniDocument::FindKey(const SectionSpan& span, std::string_view foldedName) const {
    const std::uint32_t hash = FoldedHash(foldedName);
    for (std::size_t i = span.firstLine; i < span.endLine; ++i) {
        const Line& line = lines_[i];
        if (line.isKey && line.nameHash == hash && FoldedEquals(NameOf(line), foldedName)) {
            return i;
        }
    }
    return npos;
}

std::size_t IniDocument::LastNonBlank(const SectionSpan& span) const {
    for (std::size_t i = span.endLine; i > span.firstLine; --i) {
        if (!lines_[i - 1].blank) {
            return i - 1;
        }
    }
    return span.header;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
    const std::size_t span = FindSection(rules::FoldCase(rules::TrimBlanks(section)));
    if (span == npos) {
        return std::nullopt;
    }
    const std::size_t line = FindKey(sections_[span], rules::FoldCase(rules::TrimBlanks(key)));
    if (line == npos || !lines_[line].hasValue) {
        return std::nullopt;
    }
    return ValueOf(lines_[line]);
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    return Apply({ProfileEdit{std::string(section), std::string(key), std::string(value)}});
}

bool IniDocument::Remove(std::string_view section, std::string_view key) {
    const std::string sectionName = rules::FoldCase(rules::TrimBlanks(section));
    const std::string keyName = rules::FoldCase(rules::TrimBlanks(key));
    for (std::size_t span = FindSection(sectionName); span != npos;
         span = FindSection(sectionName, span + 1)) {
        const std::size_t line = FindKey(sections_[span], keyName);
        if (line != npos) {
            Splice(line, 1, lines_[line].begin, {});
            return true;
        }
    }
    return false;
}

bool IniDocument::Apply(const ProfileEdits& edits) {
    const bool large = edits.size() > kSmallBatch;
    std::vector<Pending> pending;
    std::vector<std::size_t> pendingOfLine; // large batches: index into pending, by line
    KeyIndex index;
    std::string lastSectionName;
    std::size_t lastSection = npos;
    bool changed = false;

    // Anything that moves lines first writes what is gathered, and the lookups start afresh.
    auto moveLines = [&] {
        WritePending(pending);
        pending.clear();
        pendingOfLine.clear();
        index.Clear();
        lastSection = npos;
    };
    auto pendingFor = [&](std::size_t line) -> Pending* {
        if (!large) {
            for (Pending& entry : pending) {
                if (entry.line == line) {
                    return &entry;
                }
            }
            return nullptr;
        }
        if (pendingOfLine.empty()) {
            pendingOfLine.assign(lines_.size(), npos);
        }
        return pendingOfLine[line] == npos ? nullptr : &pending[pendingOfLine[line]];
    };

    for (const ProfileEdit& edit : edits) {
        const std::string_view sectionName = rules::TrimBlanks(edit.section);
        const std::string_view keyName = rules::TrimBlanks(edit.key);
        if (!edit.value) {
            moveLines();
            changed = Remove(sectionName, keyName) || changed;
            continue;
        }
        // The platform drops the leading blanks at once and the trailing ones when it next
        // rewrites the file; a read never sees either.
        const std::string_view value = rules::TrimBlanks(*edit.value);
        const std::string foldedSection = rules::FoldCase(sectionName);
        if (lastSection == npos || foldedSection != lastSectionName) {
            lastSection = FindSection(foldedSection);
            lastSectionName = foldedSection;
        }
        const std::string foldedKey = rules::FoldCase(keyName);
        std::size_t line = npos;
        if (lastSection != npos) {
            line = large ? index.Find(*this, lastSection, foldedKey)
                         : FindKey(sections_[lastSection], foldedKey);
        }
        if (line == npos) {
            moveLines();
            changed = SetOne(sectionName, keyName, value) || changed;
            continue;
        }
        Pending* current = pendingFor(line);
        const bool hasValue = current != nullptr || lines_[line].hasValue;
        const std::string_view now = current != nullptr ? current->value : ValueOf(lines_[line]);
        if (hasValue && now == value) {
            continue;
        }
        std::string text = std::string(NameOf(lines_[line])) + "=" + std::string(value) + "\r\n";
        // Gathered only when the new line reads as the same key on its own, so that no other
        // line parses differently (a value with a line break, a name that ends in a lead byte).
        const Line alone = ParseLine(text, 0, false);
        if (alone.next != text.size() || !alone.isKey || alone.unnamed != lines_[line].unnamed ||
            !FoldedEquals(std::string_view(text).substr(alone.nameBegin, alone.nameSize),
                          foldedKey)) {
            moveLines();
            changed = SetOne(sectionName, keyName, value) || changed;
            continue;
        }
        std::string valueRead = text.substr(alone.valueBegin, alone.valueSize);
        if (current != nullptr) {
            current->text = std::move(text);
            current->value = std::move(valueRead);
        } else {
            if (large) {
                pendingOfLine[line] = pending.size();
            }
            pending.push_back(Pending{line, std::move(text), std::move(valueRead)});
        }
        changed = true;
    }
    WritePending(pending);
    return changed;
}

void IniDocument::WritePending(std::vector<Pending>& pending) {
    if (pending.empty()) {
        return;
    }
    std::sort(pending.begin(), pending.end(),
              [](const Pending& a, const Pending& b) { return a.line < b.line; });
    std::size_t added = 0;
    for (const Pending& entry : pending) {
        added += entry.text.size();
    }
    std::string out;
    out.reserve(bytes_.size() + added);
    std::size_t copied = 0;
    std::size_t shiftedUpTo = 0;
    std::size_t delta = 0; // bytes added so far, modulo the size type's range
    auto shiftUpTo = [&](std::size_t end) {
        for (std::size_t i = shiftedUpTo; i < end; ++i) {
            lines_[i].begin += delta;
            lines_[i].next += delta;
            lines_[i].nameBegin += delta;
            lines_[i].valueBegin += delta;
        }
    };
    for (const Pending& entry : pending) {
        const Line old = lines_[entry.line];
        shiftUpTo(entry.line);
        out.append(bytes_, copied, old.begin - copied);
        const std::size_t begin = out.size();
        out += entry.text;
        copied = old.next;
        Line fresh = ParseLine(entry.text, 0, false);
        fresh.begin += begin;
        fresh.next += begin;
        fresh.nameBegin += begin;
        fresh.valueBegin += begin;
        fresh.isKey = old.isKey;
        lines_[entry.line] = fresh;
        delta += entry.text.size() - (old.next - old.begin);
        shiftedUpTo = entry.line + 1;
    }
    out.append(bytes_, copied, npos);
    shiftUpTo(lines_.size());
    bytes_ = std::move(out);
}

bool IniDocument::SetOne(std::string_view section, std::string_view key, std::string_view value) {
    const std::size_t span = FindSection(rules::FoldCase(section));
    if (span != npos) {
        const SectionSpan lines = sections_[span];
        const std::size_t found = FindKey(lines, rules::FoldCase(key));
        if (found != npos) {
            const Line& line = lines_[found];
            if (line.hasValue && ValueOf(line) == value) {
                return false;
            }
            const std::string text = std::string(NameOf(line)) + "=" + std::string(value) + "\r\n";
            Splice(found, 1, line.begin, text);
            return true;
        }
        // After the section's last non-blank line, so blank lines before the next header stay
        // where they are.
        const std::size_t after = LastNonBlank(lines);
        std::string text;
        std::size_t at = std::string_view(bytes_).substr(0, 3) == kByteOrderMark ? 3 : 0;
        std::size_t first = 0;
        if (after != npos) {
            at = lines_[after].next;
            first = after + 1;
            if (!lines_[after].terminated) {
                text = "\r\n"; // the line ends the file without a terminator
            }
        }
        text += std::string(key) + "=" + std::string(value) + "\r\n";
        Splice(first, 0, at, text);
        return true;
    }
    std::string text;
    if (!lines_.empty() && !lines_.back().terminated) {
        text = "\r\n";
    }
    text +=
        "[" + std::string(section) + "]\r\n" + std::string(key) + "=" + std::string(value) + "\r\n";
    Splice(lines_.size(), 0, bytes_.size(), text);
    return true;
}

void IniDocument::Splice(std::size_t first, std::size_t count, std::size_t at,
                         std::string_view text) {
    const std::size_t oldEnd = count > 0 ? lines_[first + count - 1].next : at;
    const bool atEnd = first + count == lines_.size();
    const bool before = UnnamedBefore(first);
    bool oldAfter = before;
    // The byte order mark is looked for only at the very start; a line without terminator
    // would take the text into itself.
    bool local = at >= kByteOrderMark.size() && (first == 0 || lines_[first - 1].terminated);
    for (std::size_t i = first; i < first + count; ++i) {
        local = local && !lines_[i].isSection;
        oldAfter = UnnamedAfter(lines_[i], oldAfter);
    }
    bytes_.replace(at, oldEnd - at, text);
    const std::size_t newEnd = at + text.size();
    // A lone CR before the splice followed by an LF after it would become one CRLF.
    if (at > 0 && bytes_[at - 1] == '\r' && at < bytes_.size() && bytes_[at] == '\n') {
        local = false;
    }

    std::vector<Line> fresh;
    std::size_t pos = at;
    bool unnamed = before;
    while (local && pos < newEnd) {
        const Line line = ParseLine(bytes_, pos, unnamed);
        local = !line.isSection || atEnd;
        unnamed = UnnamedAfter(line, unnamed);
        pos = line.next;
        fresh.push_back(line);
    }
    // The lines after the splice must start where they did, in the same state.
    if (!local || pos != newEnd || (!atEnd && unnamed != oldAfter)) {
        Parse();
        return;
    }

    const std::size_t delta = text.size() - (oldEnd - at); // modulo the size type's range
    for (std::size_t i = first + count; i < lines_.size(); ++i) {
        lines_[i].begin += delta;
        lines_[i].next += delta;
        lines_[i].nameBegin += delta;
        lines_[i].valueBegin += delta;
    }
    if (fresh.size() == count) {
        std::copy(fresh.begin(), fresh.end(), lines_.begin() + first);
    } else {
        lines_.erase(lines_.begin() + first, lines_.begin() + first + count);
        lines_.insert(lines_.begin() + first, fresh.begin(), fresh.end());
    }
    if (atEnd) {
        // Nothing follows: the last section grows, and each new header opens one.
        for (std::size_t i = first; i < lines_.size(); ++i) {
            if (lines_[i].isSection) {
                sections_.back().endLine = i;
                sections_.push_back(SectionSpan{i, i + 1, i + 1});
            }
        }
        sections_.back().endLine = lines_.size();
        return;
    }
    const std::size_t lineDelta = fresh.size() - count; // modulo the size type's range
    for (SectionSpan& span : sections_) {
        if (span.header != npos && span.header >= first + count) {
            span.header += lineDelta;
        }
        if (span.firstLine > first) {
            span.firstLine += lineDelta;
        }
        if (span.endLine >= first + count) {
            span.endLine += lineDelta;
        }
    }
}

} // namespace store
