#include "store/IniDocument.h"

#include <algorithm>
#include <map>

#include "store/ProfileRules.h"

namespace store {

namespace {

constexpr std::size_t npos = std::string::npos;
// Up to this many edits a batch finds its keys by walking the section; above it, by an index.
constexpr std::size_t kSmallBatch = 16;

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
        const std::uint32_t hash = ini::FoldedHash(folded);
        auto it = std::lower_bound(entries.begin(), entries.end(), Entry{hash, 0});
        for (; it != entries.end() && it->first == hash; ++it) {
            if (ini::FoldedEquals(document.NameOf(document.lines_[it->second]), folded)) {
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
    // Room for every line at once; parsing again after an edit keeps it.
    lines_.reserve(ini::LineCountBound(bytes_));
    ParseFrom(0);
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

void IniDocument::ParseFrom(std::size_t changedLine) {
    // The line before the change is read again too: a change can extend it (a lone CR before
    // a new LF, a last line without a line end). The lines before that are parsed as they were.
    const std::size_t keep = std::min(changedLine > 0 ? changedLine - 1 : 0, lines_.size());
    std::size_t start = 0;
    bool unnamed = false;
    if (keep == 0) {
        lines_.clear();
        sections_.assign(1, SectionSpan{npos, 0, 0});
        start = ini::FirstLineStart(bytes_);
    } else {
        lines_.resize(keep);
        while (sections_.size() > 1 && sections_.back().header >= keep) {
            sections_.pop_back();
        }
        start = lines_.back().next;
        unnamed = lines_.back().lastKeyUnnamed;
    }
    while (start < bytes_.size()) {
        const Line line = ini::ParseLine(bytes_, start, unnamed);
        unnamed = line.lastKeyUnnamed;
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
    const std::uint32_t hash = ini::FoldedHash(foldedName);
    for (std::size_t i = from; i < sections_.size(); ++i) {
        const SectionSpan& span = sections_[i];
        if ((span.header == npos || lines_[span.header].nameHash == hash) &&
            ini::FoldedEquals(SectionName(span), foldedName)) {
            return i;
        }
    }
    return npos;
}

std::size_t IniDocument::FindKey(const SectionSpan& span, std::string_view foldedName) const {
    const std::uint32_t hash = ini::FoldedHash(foldedName);
    for (std::size_t i = span.firstLine; i < span.endLine; ++i) {
        const Line& line = lines_[i];
        if (line.isKey && line.nameHash == hash && ini::FoldedEquals(NameOf(line), foldedName)) {
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
            ReplaceLines(line, 1, lines_[line].begin, {});
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
        const Line alone = ini::ParseLine(text, 0, false);
        if (alone.next != text.size() || !alone.isKey || alone.unnamed != lines_[line].unnamed ||
            !ini::FoldedEquals(std::string_view(text).substr(alone.nameBegin, alone.nameSize),
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
    std::string out;
    out.reserve(bytes_.size());
    // Each new line reads as the key line it replaces (Apply made sure), so no line parses
    // differently: the others only move by the bytes added before them.
    std::size_t copied = 0;
    std::size_t shift = 0; // modulo the size type's range
    auto entry = pending.begin();
    for (std::size_t i = pending.front().line; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (entry == pending.end() || entry->line != i) {
            line.begin += shift;
            line.next += shift;
            line.nameBegin += shift;
            line.valueBegin += shift;
            continue;
        }
        out.append(bytes_, copied, line.begin - copied);
        copied = line.next;
        shift += entry->text.size() - (line.next - line.begin);
        const std::size_t begin = out.size();
        out += entry->text; // the end of out, so the line parses as it will in the bytes
        line = ini::ParseLine(out, begin, false);
        ++entry;
    }
    out.append(bytes_, copied, npos);
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
            ReplaceLines(found, 1, line.begin, text);
            return true;
        }
        // After the section's last non-blank line, so blank lines before the next header stay
        // where they are.
        const std::size_t after = LastNonBlank(lines);
        std::string text;
        std::size_t at = ini::FirstLineStart(bytes_);
        std::size_t first = 0;
        if (after != npos) {
            at = lines_[after].next;
            first = after + 1;
            if (!lines_[after].terminated) {
                text = "\r\n"; // the line ends the file without a terminator
            }
        }
        text += std::string(key) + "=" + std::string(value) + "\r\n";
        ReplaceLines(first, 0, at, text);
        return true;
    }
    std::string text;
    if (!lines_.empty() && !lines_.back().terminated) {
        text = "\r\n";
    }
    text +=
        "[" + std::string(section) + "]\r\n" + std::string(key) + "=" + std::string(value) + "\r\n";
    ReplaceLines(lines_.size(), 0, bytes_.size(), text);
    return true;
}

void IniDocument::ReplaceLines(std::size_t first, std::size_t count, std::size_t at,
                               std::string_view text) {
    const std::size_t end = count > 0 ? lines_[first + count - 1].next : at;
    bytes_.replace(at, end - at, text);
    ParseFrom(first);
}

} // namespace store
